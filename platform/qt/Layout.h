// Dialog layouts ("templates"): a dialog's title, size and font, and its controls by id,
// kind, position and size in dialog units, text and style words. Layouts are text
// files in res/, one item a line:
//
//   dialog <id> <width> <height> "<title>" "<font face>" <point size>
//   control <id> <kind> <x> <y> <width> <height> "<text>" <style words...>
//
// Kinds: edit, button, checkbox, listview, static, bitmap (text: the bitmap id),
// icon (text: the icon id), blackrect. Style words: visible, tabstop, default, center, border,
// report, autohscroll, transparent. A control without "visible" starts hidden. Texts are UTF-8 in
// double quotes, with \n, \" and \\ escapes. '#' starts a comment line.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ControlSpec {
    int id = 0;
    std::string kind;
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    std::string text;                         // UTF-8
    std::set<std::string> styles;

    bool has(const char* style) const { return styles.count(style) != 0; }
};

struct DialogTemplate {
    int id = 0;
    int width = 0, height = 0;  // dialog units
    std::string title;
    std::string fontFace;
    int fontPoints = 9;
    std::vector<ControlSpec> controls;  // in template order
};

// Every dialog of a layout text; empty with an error text on a malformed line.
std::vector<DialogTemplate> parseLayout(std::string_view text, std::string* error = nullptr);

// Pixels per dialog unit are 7/4 both ways (1.75): template 102 (458 x 339) becomes
// the 800 x 600 window.
inline int dialogUnitsToPixels(int units) {
    return units >= 0 ? (units * 7 + 2) / 4 : -((-units * 7 + 2) / 4);
}

}  // namespace platform
