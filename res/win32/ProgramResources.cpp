// On Windows the resources are compiled into the executable (zintra.rc).
#include "res/ProgramResources.h"

#include "platform/win32/WindowsApi.h"

#include "ui/win32/Win32ResourcePackage.h"

namespace zintra {

std::unique_ptr<ui::ResourcePackage> CreateProgramResources() {
    return std::make_unique<ui::Win32ResourcePackage>(reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr)));
}

}  // namespace zintra
