// The program's resources, found by type and name without regard to letter
// case. Windows keeps them in the executable; the native build embeds the same
// files in a generated table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/render/IconDirectory.h"

namespace zintra::ui {

struct ResourceName {
    std::string type;
    std::string name;
    // "type:name" (such as "LAYOUT:XML_MAINWND"); nothing without a colon or
    // with an empty part.
    static std::optional<ResourceName> Parse(std::string_view typeAndName);
};

class ResourcePackage {
public:
    virtual ~ResourcePackage() = default;
    // The resource's bytes, or nothing when the package has no such resource.
    virtual std::optional<std::string> Load(std::string_view type, std::string_view name) const = 0;

    std::optional<std::string> Load(std::string_view typeAndName) const;
};

// An icon resource's whole file and the image of it a backend asked for.
struct PackagedIcon {
    std::string file;
    IconImage image;
};

// The image `size` pixels wide (the first one for 0) of the icon resource
// `name`; nothing when the resource, its directory or that size is missing.
std::optional<PackagedIcon> LoadPackagedIcon(const ResourcePackage& package, std::string_view name, int size);

}  // namespace zintra::ui
