// A pointer device of our own in a wlroots compositor (sway, Hyprland,
// wayfire), through its virtual-pointer protocol: the only way such a desktop
// lets a program without root click in Wayland windows. The connection is
// dispatched by the toolkit's event loop (an EventSource), never by a thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/linux/DesktopLoop.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_output;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace zintra::platform::wayland {

class VirtualPointer final : public linux_x11::EventSource {
public:
    // Null when there is no Wayland display or its compositor offers no
    // virtual pointer.
    static std::unique_ptr<VirtualPointer> Connect();
    ~VirtualPointer() override;
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    // False once the compositor closed the connection.
    bool Connected() const { return connected_; }
    // A button by its Linux input code (BTN_LEFT, BTN_RIGHT), each event its own frame.
    void Button(std::uint32_t code, bool pressed);
    // Moves the pointer to a point of the output layout.
    void MoveTo(std::int32_t x, std::int32_t y);
    // The bounding box of every output in layout coordinates; empty before
    // the compositor described its outputs.
    Rect Layout() const;
    // Sends what was queued.
    void Flush();
    // Sends what was queued and waits until the compositor has handled it.
    void Sync();

    int Descriptor() override;
    short Events() override;
    std::optional<std::uint64_t> Timeout() override { return std::nullopt; }
    void Dispatch() override;

    struct Output {
        VirtualPointer* owner = nullptr;
        wl_output* output = nullptr;
        zxdg_output_v1* logical = nullptr;
        std::uint32_t name = 0;
        Rect mode;      // from wl_output: position and current mode
        Rect geometry;  // from xdg-output: the logical position and size
    };

    // The registry's events, for its listener.
    static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void GlobalRemove(void* data, wl_registry* registry, std::uint32_t name);

private:
    explicit VirtualPointer(wl_display* display);
    void AddOutput(std::uint32_t name, std::uint32_t version);
    void DescribeOutput(Output& output);
    void Lost();
    std::uint32_t Now() const;

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwlr_virtual_pointer_manager_v1* manager_ = nullptr;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    zxdg_output_manager_v1* outputManager_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;
    bool connected_ = true;
};

}  // namespace zintra::platform::wayland
