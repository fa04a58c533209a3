// The program's own resources as one package: the executable's resources on
// Windows, a table compiled in from the same files elsewhere.
#pragma once

#include <memory>

#include "ui/core/ResourcePackage.h"

namespace zintra {

std::unique_ptr<ui::ResourcePackage> CreateProgramResources();

}  // namespace zintra
