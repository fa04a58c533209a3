// The fixed identifiers of the layouts' control names, registered with the
// toolkit at start-up. Ids count up from 65536 in the order the names first
// appear in the layouts (main, settings, custom hotkey, custom interval,
// update); "_name_start" marks the table's start.
#pragma once

#include <vector>

#include "ui/core/NamedIds.h"

namespace zintra {

// Sorted by name in byte order.
const std::vector<ui::NamedId>& ControlIdTable();

}  // namespace zintra
