// Looks resources up the way the program does, in a real Windows executable
// that carries zintra.rc: one line per name given on the command line, then
// the icon sizes and the version record's texts.
#include "platform/win32/WindowsApi.h"

#include <cstdio>
#include <string>

#include "res/ProgramResources.h"
#include "base/TextUtil.h"

namespace {

void PrintUtf8(const wchar_t* label, const wchar_t* text) {
    const std::u16string wide = std::u16string(reinterpret_cast<const char16_t*>(label)) + u" " +
                                reinterpret_cast<const char16_t*>(text);
    std::printf("%s\n", zintra::Utf16ToUtf8(wide).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const auto package = zintra::CreateProgramResources();
    for (int i = 1; i < argc; ++i) {
        const auto bytes = package->Load(argv[i]);
        std::printf("%s %s %zu\n", argv[i], bytes ? "found" : "missing", bytes ? bytes->size() : 0);
    }
    for (int size : {48, 32, 24, 20, 16}) {
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), L"ICON_LOGO", IMAGE_ICON, size, size, 0);
        ICONINFO info{};
        BITMAP bitmap{};
        if (icon != nullptr && GetIconInfo(static_cast<HICON>(icon), &info)) {
            GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        }
        std::printf("icon %d %ld\n", size, static_cast<long>(bitmap.bmWidth));
    }
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::string block(size, '\0');
    if (size != 0 && GetFileVersionInfoW(path, 0, size, block.data())) {
        for (const wchar_t* key : {L"\\StringFileInfo\\080404b0\\FileDescription", L"\\StringFileInfo\\080404b0\\ProductName",
                                   L"\\StringFileInfo\\080404b0\\FileVersion"}) {
            void* value = nullptr;
            UINT length = 0;
            if (VerQueryValueW(block.data(), key, &value, &length)) PrintUtf8(key, static_cast<const wchar_t*>(value));
        }
    }
    return 0;
}
