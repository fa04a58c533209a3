// A pop-up menu as data, read from an SMENU resource; a backend shows it.
#pragma once

#include <string>
#include <vector>

namespace zintra::ui {

struct MenuItem {
    int id = 0;
    std::u16string text;
    int icon = -1;  // state of the menu's icon skin, -1 for none
    bool separator = false;
    bool disabled = false;
    std::vector<MenuItem> children;
};

struct MenuData {
    std::string iconSkin;
    int itemHeight = 26;
    int iconMargin = 4;
    int textMargin = 8;
    // The menu's size against the screen's scale, in percent.
    int scalePercent = 100;
    std::vector<MenuItem> items;
};

}  // namespace zintra::ui
