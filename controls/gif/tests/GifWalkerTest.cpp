#include "controls/gif/GifWalker.h"

#include <gtest/gtest.h>

#include "controls/gif/tests/GifBuilder.h"

using giftest::GifBuilder;

namespace {

gif::GifInfo walkOf(const std::vector<uint8_t>& bytes) {
    return gif::walk(bytes.data(), bytes.size());
}

void expectFramesInside(const gif::GifInfo& info, size_t size) {
    for (const gif::Frame& f : info.frames) {
        EXPECT_LE(info.blocksStart, f.start);
        EXPECT_LE(f.start, f.imageOffset);
        EXPECT_LT(f.imageOffset, f.end);
        EXPECT_LE(f.end, size);
    }
}

TEST(GifWalker, OneFrameIsFoundWithItsControlValues) {
    GifBuilder b;
    b.header(32, 16);
    const size_t gce = b.size();
    b.control(7, 2);
    const size_t image = b.size();
    b.image(1, 2, 3, 4, 1);
    const size_t end = b.size();
    b.trailer();

    const gif::GifInfo info = walkOf(b.bytes());
    ASSERT_TRUE(info.ok()) << info.errorText;
    EXPECT_EQ(32, info.screenWidth);
    EXPECT_EQ(16, info.screenHeight);
    EXPECT_EQ(12u, info.globalTableSize);
    EXPECT_EQ(25u, info.blocksStart);
    ASSERT_EQ(1u, info.frames.size());
    const gif::Frame& f = info.frames[0];
    EXPECT_EQ(gce, f.start);
    EXPECT_EQ(image, f.imageOffset);
    EXPECT_EQ(end, f.end);
    EXPECT_TRUE(f.hasControl);
    EXPECT_EQ(7, f.delay);
    EXPECT_EQ(2, f.disposal);
    EXPECT_EQ(1, f.left);
    EXPECT_EQ(2, f.top);
    EXPECT_EQ(3, f.width);
    EXPECT_EQ(4, f.height);
}

TEST(GifWalker, SeveralFramesAreCutIntoStandAloneGifs) {
    GifBuilder b;
    b.header(8, 8).application();
    const std::vector<std::pair<uint16_t, int>> controls = {{10, 2}, {0, 3}, {5, 1}};
    for (size_t i = 0; i < controls.size(); ++i) {
        b.control(controls[i].first, controls[i].second).image(0, 0, 8, 8, uint8_t(i + 1));
    }
    b.trailer();
    const auto& bytes = b.bytes();

    const gif::GifInfo info = walkOf(bytes);
    ASSERT_TRUE(info.ok()) << info.errorText;
    ASSERT_EQ(3u, info.frames.size());
    expectFramesInside(info, bytes.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(i);
        const gif::Frame& f = info.frames[i];
        EXPECT_EQ(controls[i].first, f.delay);
        EXPECT_EQ(controls[i].second, f.disposal);

        const std::vector<uint8_t> cut = gif::cutFrame(bytes.data(), bytes.size(), info, i);
        ASSERT_EQ(info.blocksStart + (f.end - f.start) + 1, cut.size());
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + info.blocksStart, cut.begin()));
        EXPECT_TRUE(std::equal(bytes.begin() + f.start, bytes.begin() + f.end,
                               cut.begin() + info.blocksStart));
        EXPECT_EQ(0x3B, cut.back());

        const gif::GifInfo single = walkOf(cut);
        ASSERT_TRUE(single.ok()) << single.errorText;
        ASSERT_EQ(1u, single.frames.size());
        EXPECT_EQ(f.delay, single.frames[0].delay);
        EXPECT_EQ(f.disposal, single.frames[0].disposal);
        EXPECT_EQ(gif::BlockKind::Trailer, single.blocks.back().kind);
    }
    EXPECT_TRUE(gif::cutFrame(bytes.data(), bytes.size(), info, 3).empty());
}

TEST(GifWalker, EveryBlockKindIsWalkedWithItsSize) {
    GifBuilder b;
    b.header(4, 4, false);
    std::vector<std::pair<gif::BlockKind, size_t>> expected;
    auto add = [&](gif::BlockKind kind, auto&& write) {
        const size_t before = b.size();
        write();
        expected.emplace_back(kind, b.size() - before);
    };
    add(gif::BlockKind::Application, [&] { b.application(3); });
    add(gif::BlockKind::Comment, [&] { b.comment(std::string(300, 'c')); });
    add(gif::BlockKind::GraphicControl, [&] { b.control(1, 0); });
    add(gif::BlockKind::PlainText, [&] { b.plainText("hello"); });
    add(gif::BlockKind::Image, [&] { b.image(0, 0, 4, 4, 2, true); });
    add(gif::BlockKind::Trailer, [&] { b.trailer(); });

    const gif::GifInfo info = walkOf(b.bytes());
    ASSERT_TRUE(info.ok()) << info.errorText;
    EXPECT_EQ(0u, info.globalTableSize);
    ASSERT_EQ(expected.size(), info.blocks.size());
    size_t offset = gif::kHeaderSize;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].first, info.blocks[i].kind);
        EXPECT_EQ(expected[i].second, info.blocks[i].size);
        EXPECT_EQ(offset, info.blocks[i].offset);
        offset += info.blocks[i].size;
    }
    EXPECT_EQ(14u + 5u, expected[0].second);  // fixed part, one sub-block of 3, terminator
    EXPECT_EQ(8u, expected[2].second);
    EXPECT_EQ(1u, expected[5].second);
    // The plain text used the control extension up: the image has none of its own.
    ASSERT_EQ(1u, info.frames.size());
    EXPECT_FALSE(info.frames[0].hasControl);
    EXPECT_EQ(info.frames[0].imageOffset, info.frames[0].start);
}

TEST(GifWalker, ExtensionsBetweenControlAndImageStayInTheFrame) {
    GifBuilder b;
    b.header(4, 4);
    const size_t gce = b.size();
    b.control(20, 1).comment("between").application().image(0, 0, 4, 4, 3).trailer();
    const gif::GifInfo info = walkOf(b.bytes());
    ASSERT_TRUE(info.ok());
    ASSERT_EQ(1u, info.frames.size());
    EXPECT_EQ(gce, info.frames[0].start);
    EXPECT_EQ(20, info.frames[0].delay);
}

TEST(GifWalker, FrameWithoutControlStartsAtItsImage) {
    GifBuilder b;
    b.header(4, 4).image(0, 0, 4, 4, 1).control(9, 2).image(0, 0, 2, 2, 2).trailer();
    const gif::GifInfo info = walkOf(b.bytes());
    ASSERT_TRUE(info.ok());
    ASSERT_EQ(2u, info.frames.size());
    EXPECT_FALSE(info.frames[0].hasControl);
    EXPECT_EQ(0, info.frames[0].delay);
    EXPECT_EQ(info.frames[0].imageOffset, info.frames[0].start);
    EXPECT_TRUE(info.frames[1].hasControl);
    EXPECT_EQ(9, info.frames[1].delay);
}

TEST(GifWalker, BytesAfterTheTrailerAndAMissingTrailerAreAccepted) {
    GifBuilder b;
    b.header(4, 4).control(1, 0).image(0, 0, 4, 4, 1);
    const std::vector<uint8_t> noTrailer = b.bytes();
    b.trailer().raw({0xDE, 0xAD, 0xBE, 0xEF});
    EXPECT_TRUE(walkOf(noTrailer).ok());
    const gif::GifInfo withJunk = walkOf(b.bytes());
    ASSERT_TRUE(withJunk.ok());
    EXPECT_EQ(gif::BlockKind::Trailer, withJunk.blocks.back().kind);
}

struct BrokenCase {
    const char* name;
    std::vector<uint8_t> bytes;
    gif::WalkError error;
};

std::vector<uint8_t> prefix(const GifBuilder& b, size_t n) {
    return std::vector<uint8_t>(b.bytes().begin(), b.bytes().begin() + n);
}

std::vector<BrokenCase> brokenCases() {
    GifBuilder good;
    good.header(4, 4).control(1, 0).image(0, 0, 4, 4, 1).trailer();
    GifBuilder unknown;
    unknown.header(4, 4).control(1, 0).raw({0x00}).image(0, 0, 4, 4, 1).trailer();
    GifBuilder unknownLabel;
    unknownLabel.header(4, 4).raw({0x21, 0x77, 0x00}).image(0, 0, 4, 4, 1).trailer();
    GifBuilder noImage;
    noImage.header(4, 4).control(1, 0).comment("x").trailer();
    GifBuilder bigTable;  // announces 768 bytes of colours, carries 12
    bigTable.header(4, 4);
    std::vector<uint8_t> big = bigTable.bytes();
    big[10] = 0x87;
    GifBuilder longSubBlock;  // a sub-block length that runs past the end
    longSubBlock.header(4, 4).raw({0x21, 0xFE, 0xF0, 'a', 'b'});

    const size_t gce = 25, image = 33;
    return {
        {"empty", {}, gif::WalkError::NotGif},
        {"bitmap", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, gif::WalkError::NotGif},
        {"signatureOnly", prefix(good, 3), gif::WalkError::ShortHeader},
        {"shortScreen", prefix(good, 12), gif::WalkError::ShortHeader},
        {"shortTable", prefix(good, 20), gif::WalkError::ShortHeader},
        {"tableFlagPastEnd", big, gif::WalkError::ShortHeader},
        {"cutInControl", prefix(good, gce + 5), gif::WalkError::Truncated},
        {"cutInDescriptor", prefix(good, image + 6), gif::WalkError::Truncated},
        {"cutInImageData", prefix(good, good.size() - 3), gif::WalkError::Truncated},
        {"cutBeforeTerminator", prefix(good, good.size() - 2), gif::WalkError::Truncated},
        {"extensionLabelMissing", prefix(unknownLabel, 26), gif::WalkError::Truncated},
        {"subBlockPastEnd", longSubBlock.bytes(), gif::WalkError::Truncated},
        {"unknownByte", unknown.bytes(), gif::WalkError::UnknownBlock},
        {"unknownLabel", unknownLabel.bytes(), gif::WalkError::UnknownBlock},
        {"noImage", noImage.bytes(), gif::WalkError::NoFrame},
        {"headerOnly", prefix(good, 25), gif::WalkError::NoFrame},
    };
}

class BrokenGif : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenGif, FailsWithItsReasonAndNoFrame) {
    const BrokenCase& c = GetParam();
    const gif::GifInfo info = walkOf(c.bytes);
    EXPECT_FALSE(info.ok());
    EXPECT_EQ(c.error, info.error) << info.errorText;
    EXPECT_FALSE(info.errorText.empty());
    EXPECT_TRUE(info.frames.empty());
    EXPECT_TRUE(gif::cutFrame(c.bytes.data(), c.bytes.size(), info, 0).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenGif, testing::ValuesIn(brokenCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(GifWalker, EveryPrefixOfAGifIsWalkedSafely) {
    GifBuilder b;
    b.header(8, 8).application().comment("c").control(3, 2).image(0, 0, 8, 8, 1, true);
    b.plainText("t").control(4, 3).image(2, 2, 4, 4, 2).trailer();
    const auto& bytes = b.bytes();
    size_t accepted = 0;
    for (size_t n = 0; n <= bytes.size(); ++n) {
        SCOPED_TRACE(n);
        // A copy of exactly n bytes, so a read past them is caught by the sanitizers.
        const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + n);
        const gif::GifInfo info = walkOf(part);
        expectFramesInside(info, n);
        if (info.ok()) {
            ++accepted;
            for (size_t i = 0; i < info.frames.size(); ++i) {
                EXPECT_FALSE(gif::cutFrame(part.data(), part.size(), info, i).empty());
            }
        }
    }
    // Accepted: cuts right after the first image, the plain text, the second control
    // extension and the second image, and the whole file.
    EXPECT_EQ(5u, accepted);
}

TEST(GifWalker, CutFrameRefusesInfoOfOtherData) {
    GifBuilder b;
    b.header(4, 4).control(1, 0).image(0, 0, 4, 4, 1).trailer();
    const auto& bytes = b.bytes();
    const gif::GifInfo info = walkOf(bytes);
    ASSERT_TRUE(info.ok());
    EXPECT_TRUE(gif::cutFrame(bytes.data(), 20, info, 0).empty());
    EXPECT_TRUE(gif::cutFrame(nullptr, bytes.size(), info, 0).empty());
}

struct SizeCase {
    uint8_t packed;
    size_t bytes;
};

class ColorTable : public testing::TestWithParam<SizeCase> {};

TEST_P(ColorTable, SizeFollowsTheFlagsByte) {
    EXPECT_EQ(GetParam().bytes, gif::colorTableSize(GetParam().packed));
}

INSTANTIATE_TEST_SUITE_P(Cases, ColorTable,
                         testing::Values(SizeCase{0x00, 0}, SizeCase{0x07, 0}, SizeCase{0x80, 6},
                                         SizeCase{0x81, 12}, SizeCase{0xF2, 24},
                                         SizeCase{0x87, 768}));

struct DelayCase {
    uint16_t stored;
    uint32_t ms;
};

class FrameDelay : public testing::TestWithParam<DelayCase> {};

TEST_P(FrameDelay, FollowsTheStoredDelayButNotBelowFiveHundredths) {
    EXPECT_EQ(GetParam().ms, gif::frameDelayMs(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameDelay,
                         testing::Values(DelayCase{0, 100}, DelayCase{1, 100}, DelayCase{4, 100},
                                         DelayCase{5, 50}, DelayCase{10, 100},
                                         DelayCase{65535, 655350}));

}  // namespace
