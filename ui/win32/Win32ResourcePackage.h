// Resources of a Windows module, found by type and name with FindResourceW
// (which ignores letter case), preferring the program's language 2052.
#pragma once

#include <cstdint>

#include "ui/core/ResourcePackage.h"

namespace zintra::ui {

class Win32ResourcePackage final : public ResourcePackage {
public:
    // `module` is an HMODULE as a number.
    explicit Win32ResourcePackage(std::uintptr_t module) : module_(module) {}
    using ResourcePackage::Load;
    std::optional<std::string> Load(std::string_view type, std::string_view name) const override;
    std::uintptr_t Module() const { return module_; }

private:
    std::uintptr_t module_;
};

}  // namespace zintra::ui
