#include "platform/qt/Layout.h"

#include <gtest/gtest.h>

namespace {

using platform::parseLayout;

TEST(LayoutTest, ParsesDialogsControlsTextsAndStyles) {
    const auto d = parseLayout(
        "# two dialogs\n"
        "dialog 7 100 50 \"T\\\"itle\" \"Face\" 9\n"
        "control 1000 edit 1 2 30 4 \"\" visible tabstop\n"
        "control 1010 static 5 6 7 8 \"two\\nlines\" visible center\n"
        "dialog 8 10 10 \"x\" \"F\" 8\n");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].id, 7);
    EXPECT_EQ(d[0].title, "T\"itle");
    ASSERT_EQ(d[0].controls.size(), 2u);
    const auto& c = d[0].controls[1];
    EXPECT_EQ(c.id, 1010);
    EXPECT_EQ(c.kind, "static");
    EXPECT_EQ(c.text, "two\nlines");
    EXPECT_TRUE(c.has("center"));
    EXPECT_FALSE(c.has("tabstop"));
    EXPECT_EQ(c.x, 5);
    EXPECT_EQ(c.height, 8);
}

TEST(LayoutTest, MalformedLinesAreErrors) {
    for (const char* bad : {"control 1 edit 1 2 3 4 \"\"\n",  // control before a dialog
                            "dialog 1 2 3 \"t\" \"f\"\n",     // missing point size
                            "dialog 1 2 3 \"t\" \"f\" 9\ncontrol x edit 1 2 3 4 \"\"\n",
                            "dialog 1 2 3 \"unterminated 9\n", "window 1\n"}) {
        std::string error;
        EXPECT_TRUE(parseLayout(bad, &error).empty()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(LayoutTest, DialogUnitsMakeTheMainTemplateTheWindowSize) {
    // 1.75 pixels per unit: 458 x 339 units are about 800 x 600 pixels.
    EXPECT_EQ(platform::dialogUnitsToPixels(458), 802);
    EXPECT_EQ(platform::dialogUnitsToPixels(339), 593);
    EXPECT_EQ(platform::dialogUnitsToPixels(4), 7);
    EXPECT_EQ(platform::dialogUnitsToPixels(0), 0);
}

}  // namespace
