#include "websearch/FeedReaders.h"

#include <tinyxml.h>

namespace {

std::string elementText(const TiXmlElement* element) {
    if (element == nullptr) {
        return {};
    }
    const char* text = element->GetText();
    return text != nullptr ? text : std::string();
}

// Parse errors are not fatal: whatever the parser built before the error is read.
const TiXmlElement* rootElement(TiXmlDocument& doc, const std::string& body) {
    doc.Parse(body.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return doc.FirstChildElement();
}

}  // namespace

std::vector<WebFind> readFormSiteItems(const std::string& body, const FormSiteRow& row,
                                       const std::string& formSiteHost) {
    std::vector<WebFind> finds;
    TiXmlDocument doc;
    const TiXmlElement* root = rootElement(doc, body);
    if (root == nullptr) {
        return finds;
    }
    const std::string locationPrefix =
        row.locationPrefix != nullptr ? std::string(row.locationPrefix) : formSiteHost + " - ";
    const TiXmlElement* item = root->FirstChildElement("ITEM");
    // Every element from the first "ITEM" on uses up a pass, with a title or without.
    for (int pass = 0; pass < row.itemCount && item != nullptr; ++pass) {
        const TiXmlElement* title = item->FirstChildElement("FTITLE");
        if (title != nullptr) {
            const TiXmlElement* link = item->FirstChildElement(row.linkElement);
            WebFind find;
            find.name = elementText(title);
            find.type = "doc";
            find.target = link != nullptr ? elementText(link) : formSiteHost;
            find.location = locationPrefix + find.name;
            finds.push_back(std::move(find));
        }
        item = item->NextSiblingElement();
    }
    return finds;
}

std::string cutTitle(const std::string& ansi, size_t maxBytes) {
    if (ansi.size() <= maxBytes) {
        return ansi;
    }
    // A lead byte (0x81 to 0xFE) starts a two-byte character; walk from the start, since
    // a trail byte can look like either.
    size_t cut = 0;
    while (cut < maxBytes) {
        const auto c = static_cast<unsigned char>(ansi[cut]);
        const size_t width = (c >= 0x81 && c <= 0xFE && cut + 1 < ansi.size()) ? 2 : 1;
        if (cut + width > maxBytes) {
            break;
        }
        cut += width;
    }
    return ansi.substr(0, cut) + "...";
}

std::vector<WebFind> readTorrentFeed(const std::string& body,
                                     const std::function<std::string(const std::string&)>& toAnsi,
                                     const std::string& fallbackTarget) {
    std::vector<WebFind> finds;
    TiXmlDocument doc;
    const TiXmlElement* root = rootElement(doc, body);
    const TiXmlElement* channel = root != nullptr ? root->FirstChildElement("channel") : nullptr;
    const TiXmlElement* item = channel != nullptr ? channel->FirstChildElement("item") : nullptr;
    for (; item != nullptr; item = item->NextSiblingElement()) {
        const TiXmlElement* title = item->FirstChildElement("title");
        if (title == nullptr) {
            continue;
        }
        const TiXmlElement* enclosure = item->FirstChildElement("enclosure");
        const char* url = enclosure != nullptr ? enclosure->Attribute("url") : nullptr;
        WebFind find;
        find.name = cutTitle(toAnsi(elementText(title)));
        find.type = "torrent";
        find.target = enclosure != nullptr ? toAnsi(url != nullptr ? url : "") : fallbackTarget;
        find.location = "torrent/" + find.name;
        finds.push_back(std::move(find));
    }
    return finds;
}
