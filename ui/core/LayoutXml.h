// The XML behind a layout, for the toolkit's own sources only: public headers
// name these types without their definitions, so no user of the toolkit sees
// the XML library.
#pragma once

#include <pugixml.hpp>

namespace zintra::ui {

// One element of a layout and everything below it.
struct LayoutElement {
    pugi::xml_node node;
};

struct LayoutXml {
    pugi::xml_document document;
};

}  // namespace zintra::ui
