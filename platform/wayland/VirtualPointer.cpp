#include "platform/wayland/VirtualPointer.h"

#include <poll.h>
#include <time.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>
#include <xdg-output-unstable-v1-client-protocol.h>

namespace zintra::platform::wayland {
namespace {

using Output = VirtualPointer::Output;

// wl_output at version 2: position from geometry, size from the current mode.
void OutputGeometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t) {
    auto* output = static_cast<Output*>(data);
    const std::int32_t width = output->mode.Width(), height = output->mode.Height();
    output->mode = {x, y, x + width, y + height};
}
void OutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
    auto* output = static_cast<Output*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    output->mode.right = output->mode.left + width;
    output->mode.bottom = output->mode.top + height;
}
void OutputDone(void*, wl_output*) {}
void OutputScale(void*, wl_output*, std::int32_t) {}
// Bound at version 2, which sends no name or description.
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale, nullptr, nullptr};

// xdg-output at version 2: the output's place and size in the layout, after
// scaling and rotation, which is what absolute motion spans.
void LogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto* output = static_cast<Output*>(data);
    const std::int32_t width = output->geometry.Width(), height = output->geometry.Height();
    output->geometry = {x, y, x + width, y + height};
}
void LogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
    auto* output = static_cast<Output*>(data);
    output->geometry.right = output->geometry.left + width;
    output->geometry.bottom = output->geometry.top + height;
}
void LogicalDone(void*, zxdg_output_v1*) {}
void LogicalName(void*, zxdg_output_v1*, const char*) {}
void LogicalDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kLogicalListener = {LogicalPosition, LogicalSize, LogicalDone, LogicalName,
                                                  LogicalDescription};

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
        VirtualPointer::Global(data, registry, name, interface, version);
    },
    [](void* data, wl_registry* registry, std::uint32_t name) { VirtualPointer::GlobalRemove(data, registry, name); },
};

}  // namespace

std::unique_ptr<VirtualPointer> VirtualPointer::Connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return nullptr;
    std::unique_ptr<VirtualPointer> pointer(new VirtualPointer(display));
    // The globals, then the outputs' descriptions they asked for.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) return nullptr;
    if (pointer->manager_ == nullptr) return nullptr;
    // One device for the path's whole life: a device removed right after its
    // last button loses that click under Xwayland, and a headless seat has a
    // pointer only while some pointer device exists.
    pointer->pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointer->manager_, pointer->seat_);
    wl_display_flush(display);
    return pointer;
}

VirtualPointer::VirtualPointer(wl_display* display) : display_(display) {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
}

VirtualPointer::~VirtualPointer() {
    if (pointer_ != nullptr) zwlr_virtual_pointer_v1_destroy(pointer_);
    for (auto& output : outputs_) {
        if (output->logical != nullptr) zxdg_output_v1_destroy(output->logical);
        wl_output_destroy(output->output);
    }
    if (outputManager_ != nullptr) zxdg_output_manager_v1_destroy(outputManager_);
    if (manager_ != nullptr) zwlr_virtual_pointer_manager_v1_destroy(manager_);
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void VirtualPointer::Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                            std::uint32_t version) {
    auto* self = static_cast<VirtualPointer*>(data);
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0 && self->manager_ == nullptr) {
        self->manager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->seat_ == nullptr) {
        // The seat only names where the device goes; no events are listened to.
        self->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && self->outputManager_ == nullptr) {
        self->outputManager_ = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 2u)));
        for (auto& output : self->outputs_) self->DescribeOutput(*output);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        self->AddOutput(name, version);
    }
}

void VirtualPointer::GlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<VirtualPointer*>(data);
    auto& outputs = self->outputs_;
    const auto gone = std::find_if(outputs.begin(), outputs.end(), [name](auto& o) { return o->name == name; });
    if (gone == outputs.end()) return;
    if ((*gone)->logical != nullptr) zxdg_output_v1_destroy((*gone)->logical);
    wl_output_destroy((*gone)->output);
    outputs.erase(gone);
}

void VirtualPointer::AddOutput(std::uint32_t name, std::uint32_t version) {
    auto output = std::make_unique<Output>();
    output->owner = this;
    output->name = name;
    output->output =
        static_cast<wl_output*>(wl_registry_bind(registry_, name, &wl_output_interface, std::min(version, 2u)));
    wl_output_add_listener(output->output, &kOutputListener, output.get());
    if (outputManager_ != nullptr) DescribeOutput(*output);
    outputs_.push_back(std::move(output));
}

void VirtualPointer::DescribeOutput(Output& output) {
    if (output.logical != nullptr) return;
    output.logical = zxdg_output_manager_v1_get_xdg_output(outputManager_, output.output);
    zxdg_output_v1_add_listener(output.logical, &kLogicalListener, &output);
}

Rect VirtualPointer::Layout() const {
    Rect box;
    bool first = true;
    for (const auto& output : outputs_) {
        const Rect r = output->geometry.Width() > 0 ? output->geometry : output->mode;
        if (r.Width() <= 0 || r.Height() <= 0) continue;
        box = first ? r
                    : Rect{std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
                           std::max(box.bottom, r.bottom)};
        first = false;
    }
    return box;
}

std::uint32_t VirtualPointer::Now() const {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

void VirtualPointer::Button(std::uint32_t code, bool pressed) {
    if (!connected_) return;
    zwlr_virtual_pointer_v1_button(pointer_, Now(), code,
                                   pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer_);
}

void VirtualPointer::MoveTo(std::int32_t x, std::int32_t y) {
    const Rect layout = Layout();
    if (!connected_ || layout.Width() <= 0 || layout.Height() <= 0) return;
    // Absolute motion spans the layout's bounding box from its top-left corner.
    const auto clamp = [](std::int32_t value, std::int32_t low, std::int32_t high) {
        return static_cast<std::uint32_t>(std::clamp(value, low, high - 1) - low);
    };
    zwlr_virtual_pointer_v1_motion_absolute(pointer_, Now(), clamp(x, layout.left, layout.right),
                                            clamp(y, layout.top, layout.bottom),
                                            static_cast<std::uint32_t>(layout.Width()),
                                            static_cast<std::uint32_t>(layout.Height()));
    zwlr_virtual_pointer_v1_frame(pointer_);
}

void VirtualPointer::Flush() {
    if (connected_ && wl_display_flush(display_) < 0 && errno != EAGAIN) Lost();
}

void VirtualPointer::Sync() {
    if (connected_ && wl_display_roundtrip(display_) < 0) Lost();
}

int VirtualPointer::Descriptor() { return connected_ ? wl_display_get_fd(display_) : -1; }

short VirtualPointer::Events() { return POLLIN; }

void VirtualPointer::Dispatch() {
    if (!connected_) return;
    // Reads what arrived (output changes, errors) without blocking.
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) return Lost();
    }
    pollfd ready{wl_display_get_fd(display_), POLLIN, 0};
    if (::poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN) != 0) {
        if (wl_display_read_events(display_) < 0) return Lost();
    } else {
        wl_display_cancel_read(display_);
        if ((ready.revents & (POLLHUP | POLLERR)) != 0) return Lost();
    }
    if (wl_display_dispatch_pending(display_) < 0) return Lost();
    Flush();
}

void VirtualPointer::Lost() { connected_ = false; }

}  // namespace zintra::platform::wayland
