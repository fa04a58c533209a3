#include "ui/win32/Win32ResourcePackage.h"

#include "platform/win32/WindowsApi.h"

#include <cstdio>

#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

std::wstring Wide(std::string_view text) {
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

}  // namespace

std::optional<std::string> Win32ResourcePackage::Load(std::string_view type, std::string_view name) const {
    const auto module = reinterpret_cast<HMODULE>(module_);
    const std::wstring wideType = Wide(type);
    const std::wstring wideName = Wide(name);
    // Resource names are stored upper-cased; FindResource upper-cases what it
    // is asked for, so any spelling finds them.
    HRSRC found = FindResourceExW(module, wideType.c_str(), wideName.c_str(),
                                  MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    if (found == nullptr) found = FindResourceW(module, wideName.c_str(), wideType.c_str());
    if (found == nullptr) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        char text[160];
        std::snprintf(text, sizeof(text), "zintra: LoadResource failed, error %lu\n", GetLastError());
        OutputDebugStringA(text);
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(data), size);
}

}  // namespace zintra::ui
