// Clicks in a Wayland session through the desktop's remote-desktop portal:
// a session with the pointer device (and a screen cast of the monitors, for
// absolute motion at fixed points), started once the user allows it in the
// desktop's own dialog. Button events go to the pointer where it is; the
// pointer is never moved for a click at the pointer. Positions and screen
// sizes are still read through XWayland.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/MouseInput.h"
#include "platform/Registry.h"
#include "platform/linux/PortalRequests.h"
#include "platform/linux/PortalStreams.h"
#include "platform/linux/SessionBus.h"

namespace zintra::platform::linux_x11 {

inline constexpr char kPortalRefusedProblem[] = "桌面没有允许本程序控制鼠标，所以没有点击。再次开始时，可以在桌面弹出的对话框中允许。";
inline constexpr char kPortalClosedProblem[] = "桌面结束了本程序对鼠标的控制，连点已经停止。再次开始时桌面会重新询问。";
// Used only where the compositor offers no virtual pointer either, so it says
// every way in there is.
inline constexpr char kNoPortalProblem[] =
    "这个桌面没有提供远程控制门户，无法点击。请安装并运行 xdg-desktop-portal 及桌面对应的后端"
    "（GNOME 用 xdg-desktop-portal-gnome，KDE 用 xdg-desktop-portal-kde），"
    "或者使用提供虚拟指针的 wlroots 类合成器（sway、Hyprland、wayfire）。";
inline constexpr char kNoStreamProblem[] = "桌面没有提供屏幕画面，无法在固定位置点击。可以改为在鼠标指针处点击。";

class PortalRemoteDesktop final : public MouseInput {
public:
    // `screen` (the XWayland input) answers positions and sizes; it must outlive this.
    explicit PortalRemoteDesktop(MouseInput& screen) : screen_(screen) {}
    ~PortalRemoteDesktop() override;
    PortalRemoteDesktop(const PortalRemoteDesktop&) = delete;
    PortalRemoteDesktop& operator=(const PortalRemoteDesktop&) = delete;

    // The session bus to reach the portal on and the store for the restore
    // token; both must outlive this. Until then there is no portal. A bus
    // that neither has the portal nor can start it is said at once.
    void Attach(SessionBus& bus, Registry& store);

    std::uint32_t SendMouseEvents(const MouseEvent* events, std::uint32_t count) override;
    Point CursorPosition() override { return screen_.CursorPosition(); }
    std::optional<Point> KnownCursorPosition() override { return screen_.KnownCursorPosition(); }
    Size PrimaryScreenSize() override { return screen_.PrimaryScreenSize(); }
    Rect VirtualDesktop() override { return screen_.VirtualDesktop(); }
    std::string InputProblem() override { return problem_; }
    void PrepareRun(std::function<void(bool ready)> done) override;
    // Releases a button a held-down run left pressed.
    void EndRun() override;

private:
    static constexpr unsigned kHeldLeft = 1, kHeldRight = 2;

    enum class State { Idle, Asking, Started };

    void Ask();
    void CreateSession();
    void SelectDevices();
    void SelectSources();
    void Start();
    void OnStarted(sd_bus_message* results);
    bool Request(const char* interface, const char* method, const std::function<int(sd_bus_message*)>& before,
                 const std::function<int(sd_bus_message*)>& options, PortalRequests::Response response);
    void Answer(bool ready, const std::string& problem);
    void EndSession();
    static int OnVersion(sd_bus_message* reply, void* self, sd_bus_error* error);
    static int OnClosed(sd_bus_message* signal, void* self, sd_bus_error* error);
    void Motion(const MouseEvent& event);
    void Button(std::int32_t code, std::uint32_t state);
    std::string StoredToken();
    void StoreToken(const std::string& token);

    MouseInput& screen_;
    SessionBus* bus_ = nullptr;
    Registry* store_ = nullptr;
    PortalRequests requests_;
    State state_ = State::Idle;
    std::uint32_t version_ = 1;
    std::string session_;
    std::vector<PortalStream> streams_;
    std::string problem_;
    unsigned held_ = 0;  // kHeldLeft, kHeldRight: pressed through the session
    std::vector<std::function<void(bool)>> waiting_;
    sd_bus_slot* versionCall_ = nullptr;
    sd_bus_slot* closedMatch_ = nullptr;
};

}  // namespace zintra::platform::linux_x11
