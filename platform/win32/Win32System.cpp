#include "platform/win32/Win32System.h"

#include "platform/win32/WindowsApi.h"

#include <nb30.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/NetbiosAddress.h"

namespace zintra::platform::win32 {

namespace {

// Failures are visible in a debugger without changing what the user sees.
void Trace(const char* call, unsigned long error) {
    char text[160];
    std::snprintf(text, sizeof(text), "zintra: %s failed, error %lu\n", call, error);
    OutputDebugStringA(text);
}

// netapi32 is loaded on first use, by the report thread, not with the
// program: under Wine its start-up (the SMB client library) costs the first
// window tens of milliseconds.
UCHAR CallNetbios(NCB* control) {
    using NetbiosFn = UCHAR(APIENTRY*)(PNCB);
    static const NetbiosFn netbios = [] {
        HMODULE module = LoadLibraryW(L"netapi32.dll");
        if (module == nullptr) Trace("LoadLibraryW netapi32", GetLastError());
        return module == nullptr ? nullptr
                                 : reinterpret_cast<NetbiosFn>(reinterpret_cast<void*>(GetProcAddress(module, "Netbios")));
    }();
    return netbios != nullptr ? netbios(control) : static_cast<UCHAR>(NRC_SYSTEM);
}

// The adapter status record followed by room for 30 name entries.
struct AdapterStatusBuffer {
    ADAPTER_STATUS status;
    NAME_BUFFER names[30];
};

class Win32Netbios final : public NetbiosCommands {
public:
    std::optional<std::vector<std::uint8_t>> Enumerate() override {
        NCB control{};
        LANA_ENUM lanas{};
        control.ncb_command = NCBENUM;
        control.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
        control.ncb_length = sizeof(lanas);
        if (CallNetbios(&control) != NRC_GOODRET) return std::nullopt;
        return std::vector<std::uint8_t>(lanas.lana, lanas.lana + lanas.length);
    }

    bool Reset(std::uint8_t lana) override {
        NCB control{};
        control.ncb_command = NCBRESET;
        control.ncb_lana_num = lana;
        return CallNetbios(&control) == NRC_GOODRET;
    }

    std::optional<HardwareAddress> AdapterStatus(std::uint8_t lana) override {
        NCB control{};
        AdapterStatusBuffer buffer{};
        control.ncb_command = NCBASTAT;
        control.ncb_lana_num = lana;
        std::memset(control.ncb_callname, 0, sizeof(control.ncb_callname));
        control.ncb_callname[0] = '*';
        control.ncb_buffer = reinterpret_cast<PUCHAR>(&buffer);
        control.ncb_length = sizeof(buffer);
        if (CallNetbios(&control) != NRC_GOODRET) return std::nullopt;
        HardwareAddress address{};
        for (std::size_t i = 0; i < address.size(); ++i) address[i] = buffer.status.adapter_address[i];
        return address;
    }
};

}  // namespace

// The user's own temporary folder (its access list admits only the user),
// with a folder of the program's inside, which must be a real folder: a
// junction or link there could send downloads anywhere.
std::string Win32System::TemporaryDirectory() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length > MAX_PATH) {
        Trace("GetTempPathA", GetLastError());
        return {};
    }
    const std::string folder = std::string(buffer, length) + "Zintra";
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        Trace("CreateDirectoryA", GetLastError());
        return {};
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        Trace("download folder", attributes);
        return {};
    }
    return folder + "\\";
}

std::u16string Win32System::ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            Trace("GetModuleFileNameW", GetLastError());
            return {};
        }
        if (length < buffer.size()) return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length);
        buffer.resize(buffer.size() * 2);
    }
}

bool Win32System::FileExists(const std::string& path) { return PathFileExistsA(path.c_str()) != FALSE; }

bool Win32System::RemoveFile(const std::string& path) {
    if (::DeleteFileA(path.c_str())) return true;
    if (GetLastError() != ERROR_FILE_NOT_FOUND) Trace("DeleteFileA", GetLastError());
    return false;
}

bool Win32System::RenameFile(const std::string& from, const std::string& to) {
    if (::MoveFileA(from.c_str(), to.c_str())) return true;
    Trace("MoveFileA", GetLastError());
    return false;
}

bool Win32System::TruncateFile(const std::string& path, std::int64_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Trace("CreateFileA", GetLastError());
        return false;
    }
    LARGE_INTEGER position{};
    position.QuadPart = size;
    const bool ok = SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    if (!ok) Trace("SetEndOfFile", GetLastError());
    CloseHandle(file);
    return ok;
}

std::string Win32System::ReadProfileValue(const std::string& section, const std::string& key,
                                           const std::string& defaultValue, const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                                  sizeof(buffer), path.c_str());
    return std::string(buffer, length);
}

bool Win32System::WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                                     const std::string& path) {
    if (WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) return true;
    Trace("WritePrivateProfileStringA", GetLastError());
    return false;
}

std::string Win32System::ToAnsiCodePage(const std::u16string& text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int wideLength = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        Trace("WideCharToMultiByte", GetLastError());
        return {};
    }
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, wideLength, out.data(), length, nullptr, nullptr);
    return out;
}

std::u16string Win32System::FromAnsiCodePage(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::u16string out(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(out.data()),
                        length);
    return out;
}

std::optional<HardwareAddress> Win32System::FirstAdapterAddress() {
    Win32Netbios netbios;
    return QueryFirstLanaAddress(netbios);
}

}  // namespace zintra::platform::win32
