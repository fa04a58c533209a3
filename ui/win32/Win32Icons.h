// Icons as "name" at a size from a resource package: through LoadImageW for
// the executable's own resources, from the .ico bytes otherwise. Each icon
// is made once and kept, so windows made again and again cost nothing more.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace zintra::ui {

class ResourcePackage;

class Win32Icons {
public:
    Win32Icons() = default;
    ~Win32Icons();
    Win32Icons(const Win32Icons&) = delete;
    Win32Icons& operator=(const Win32Icons&) = delete;

    // 0 when the package has no such icon.
    std::uintptr_t Load(const ResourcePackage& package, std::string_view name, int size);

private:
    std::map<std::tuple<const ResourcePackage*, std::string, int>, HICON> icons_;
};

}  // namespace zintra::ui
