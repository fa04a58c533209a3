// Control events: small records that travel from a control to its host
// window's one event handler, carrying the source's name and a handled flag.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace zintra::ui {

class SWindow;

struct EventArgs {
    explicit EventArgs(int eventId) : id(eventId) {}
    virtual ~EventArgs() = default;

    int id;
    SWindow* sender = nullptr;
    std::string nameFrom;  // the source control's layout name
    int idFrom = 0;
    bool handled = false;
};

// A click on a button, image button, check box, or a window used as a button.
struct EventCmd : EventArgs {
    static constexpr int kId = 10000;
    EventCmd() : EventArgs(kId) {}
};

// The left button went down on a control (after it took the focus).
struct EventLButtonDown : EventArgs {
    static constexpr int kId = 8107;
    explicit EventLButtonDown(platform::Point at) : EventArgs(kId), point(at) {}
    platform::Point point;
};

struct EventCBSelChange : EventArgs {
    static constexpr int kId = 19000;
    explicit EventCBSelChange(int selection) : EventArgs(kId), curSel(selection) {}
    int curSel;
};

// An edit with change notification reports a notification code (EN_CHANGE).
struct EventRENotify : EventArgs {
    static constexpr int kId = 16000;
    explicit EventRENotify(std::uint32_t code) : EventArgs(kId), notifyCode(code) {}
    std::uint32_t notifyCode;
};

struct EventTabSelChanged : EventArgs {
    static constexpr int kId = 11001;
    EventTabSelChanged(int oldSelection, int newSelection) : EventArgs(kId), oldSel(oldSelection), newSel(newSelection) {}
    int oldSel;
    int newSel;
};

// The hotkey capture control's combination changed ("on_hot_key_set_event").
struct EventSetHotKey : EventArgs {
    static constexpr int kId = 10300;
    EventSetHotKey(std::uint16_t key, std::uint16_t modifierFlags) : EventArgs(kId), vKey(key), modifiers(modifierFlags) {}
    std::uint16_t vKey;
    std::uint16_t modifiers;
};

}  // namespace zintra::ui
