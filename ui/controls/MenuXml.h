// A menu document's looks and items, read the same way for the classic and
// the extended menu. For the toolkit's own sources: it names the XML library.
#pragma once

#include <string_view>

#include <pugixml.hpp>

#include "ui/core/MenuData.h"

namespace zintra::ui {

// The looks from `root`'s attributes and the items below it: an element
// named `itemTag` is an item (sub-menus nested inside it), "sep" a
// separator, anything else is skipped.
MenuData ReadMenuData(const pugi::xml_node& root, std::string_view itemTag);

}  // namespace zintra::ui
