// A resource package over a table of byte arrays compiled into the program;
// the native build generates the table from the Windows resource script.
#pragma once

#include <cstddef>
#include <span>

#include "ui/core/ResourcePackage.h"

namespace zintra::ui {

struct ResourceEntry {
    const char* type;
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

class TableResourcePackage final : public ResourcePackage {
public:
    explicit TableResourcePackage(std::span<const ResourceEntry> entries) : entries_(entries) {}
    using ResourcePackage::Load;
    std::optional<std::string> Load(std::string_view type, std::string_view name) const override;

private:
    std::span<const ResourceEntry> entries_;
};

}  // namespace zintra::ui
