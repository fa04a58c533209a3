// The real platform on a Linux desktop running X11: the store in a file,
// clicks through the XTest extension, keys and the pointer from the X server,
// xdg-open for web links, a file lock for the single instance. The toolkit's
// X11 backend shares this platform's connection to the X server.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/DesktopLoop.h"
#include "platform/linux/FileStore.h"
#include "platform/linux/XdgAutostart.h"

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace zintra::platform::linux_x11 {

class LinuxTray;

class LinuxPlatform final : public Platform,
                            public MouseInput,
                            public Clock,
                            public Shell,
                            public Keyboard,
                            public Process,
                            public System {
public:
    // Connects to the X server of $DISPLAY; Connected() says whether it worked.
    LinuxPlatform();
    ~LinuxPlatform() override;
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    bool Connected() const { return display_ != nullptr; }
    Display* GetDisplay() const { return display_; }
    // The X modifier state of the key or button event being handled, which
    // IsKeyDown answers for Shift, Control and Alt (the backend sets it).
    void SetEventState(unsigned int state) { eventState_ = state; hasEventState_ = true; }
    // The toolkit's event loop, which posts the tray's messages and polls the
    // platform's own descriptor (the session bus); null when it goes away.
    void AttachLoop(DesktopLoop* loop);
    EventSource& DesktopEvents();
    // An X event for the platform's own windows (the XEmbed tray icon) or
    // about the tray manager: handled, and the toolkit leaves it alone.
    bool HandleDesktopEvent(XEvent& event);

    Registry& GetRegistry() override { return store_; }
    MouseInput& GetMouseInput() override { return *this; }
    Clock& GetClock() override { return *this; }
    Shell& GetShell() override { return *this; }
    Keyboard& GetKeyboard() override { return *this; }
    Process& GetProcess() override { return *this; }
    System& GetSystem() override { return *this; }
    AutoStart* GetAutoStart() override { return &autostart_; }

    // MouseInput
    std::uint32_t SendMouseEvents(const MouseEvent* events, std::uint32_t count) override;
    Point CursorPosition() override;
    // The whole X screen (every monitor), so absolute positions are root-window coordinates.
    Size PrimaryScreenSize() override;
    // One X screen: its monitors share the root window, whose origin is (0, 0).
    Rect VirtualDesktop() override {
        const Size size = PrimaryScreenSize();
        return {0, 0, size.width, size.height};
    }

    // Clock
    std::uint64_t MonotonicMilliseconds() override;
    std::int64_t CalendarTime() override;
    std::int64_t LocalMidnight(std::int64_t calendarTime) override;

    // Shell: the tray as a StatusNotifierItem with desktop notices
    // (platform/linux/LinuxTray.h), xdg-open for addresses.
    bool NotifyIcon(TrayAction action, const TrayIconData& data) override;
    std::uint32_t RegisterWindowMessage(const std::u16string& name) override;
    bool SetForegroundWindow(NativeWindow window) override;
    bool OpenUrl(const std::u16string& url) override;
    std::intptr_t StartInstaller(const std::string& path) override;
    void DestroyIcon(IconHandle) override {}

    // Keyboard
    bool IsKeyDown(std::uint32_t virtualKey) override;
    std::uint32_t VirtualKeyToChar(std::uint32_t virtualKey) override;

    // Process
    bool CreateSingleInstanceMutex(const std::u16string& name) override;
    bool SetCurrentDirectory(const std::u16string& path) override;
    void InitializeComponents() override {}
    void UninitializeComponents() override {}

    // System
    std::string TemporaryDirectory() override;
    std::u16string ExecutablePath() override;
    bool FileExists(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    bool TruncateFile(const std::string& path, std::int64_t size) override;
    std::string ReadProfileValue(const std::string& section, const std::string& key,
                                 const std::string& defaultValue, const std::string& path) override;
    bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                           const std::string& path) override;
    std::string ToAnsiCodePage(const std::u16string& text) override;
    std::u16string FromAnsiCodePage(const std::string& text) override;
    std::optional<HardwareAddress> FirstAdapterAddress() override;

private:
    Display* display_ = nullptr;
    bool haveXTest_ = false;
    FileStore store_;
    XdgAutostart autostart_;
    unsigned int eventState_ = 0;
    bool hasEventState_ = false;
    int instanceLock_ = -1;
    std::uint32_t nextMessage_ = 0xC000;
    std::map<std::u16string, std::uint32_t> registeredMessages_;
    std::unique_ptr<LinuxTray> tray_;
};

// Where the single-instance lock of `name` lives: $XDG_RUNTIME_DIR, else the
// temporary folder with the user id in the name.
std::string SingleInstanceLockPath(const std::u16string& name);

}  // namespace zintra::platform::linux_x11
