// X events into the messages the hosts handle: exposure, mapping, the close
// request, buttons (with double clicks), motion (and moving a window by its
// caption without a window manager), keys and the text they type.
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/TextUtil.h"
#include "platform/Messages.h"
#include "platform/x11/KeyMapping.h"
#include "ui/core/Accessible.h"
#include "ui/core/UiMapWriter.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"
#include "ui/x11/X11TextInput.h"

namespace zintra::ui {

using platform::NativeWindow;

namespace {

constexpr int kDoubleClickMilliseconds = 500;

}  // namespace

void X11Backend::HandleEvent(XEvent& event) {
    if (XFilterEvent(&event, None)) return;
    // The platform's own tray window and the tray manager's announcements.
    if (x11_.HandleDesktopEvent(event)) return;
    if (filter_ && filter_(event)) return;
    if (HandleMonitorEvent(event)) return;
    if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
    if (x11_.FollowKeyboardLayout(event)) RegrabHotkeys();
    if (event.type == MappingNotify || event.type == xkbEvent_) return;
    if (event.type == KeyPress && DeliverHotkey(event.xkey)) return;
    if (HandlePopupWindowEvent(event)) return;
    Host* host = FindHost(event.xany.window);
    if (host != nullptr) HandleHostEvent(*host, event);
}

std::intptr_t X11Backend::LayoutPoint(int x, int y) const {
    return msg::MakePointParam(static_cast<int>(std::floor(x / scale_)), static_cast<int>(std::floor(y / scale_)));
}

void X11Backend::HandleHostEvent(Host& host, XEvent& event) {
    const NativeWindow window = host.xid;
    switch (event.type) {
        case Expose:
            if (event.xexpose.count != 0) break;
            if (host.picture.Empty() || host.dirty) {
                Render(host);
            } else {
                PutPicture(host.xid, host.gc, host.picture, host.argb, host.visual, host.depth);
            }
            if (!inputMethodAsked_) inputMethodDue_ = true;
            break;
        case MapNotify:
            CompleteStartup(host.xid);
            if (host.focusOnMap) {
                host.focusOnMap = false;
                XSetInputFocus(display_, host.xid, RevertToParent, CurrentTime);
            }
            UiMapWriter::Instance().Refresh();
            break;
        case ConfigureNotify: UiMapWriter::Instance().Refresh(); break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == Intern("WM_DELETE_WINDOW") && !disabled_.count(window)) {
                Deliver(window, msg::kClose, 0, 0);
            }
            break;
        case ButtonPress: OnButtonPress(host, event.xbutton); break;
        case ButtonRelease: OnButtonRelease(host, event.xbutton); break;
        case MotionNotify: OnMotion(host, event); break;
        case LeaveNotify:
            if (event.xcrossing.mode == NotifyNormal && !disabled_.count(window)) Deliver(window, msg::kMouseLeave, 0, 0);
            break;
        case KeyPress:
        case KeyRelease: OnKey(host, event.xkey); break;
        case FocusIn:
            if (host.inputContext != nullptr) XSetICFocus(host.inputContext);
            // A pop-up's grab moves the focus for a while only: the window stays active.
            if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab && host.host != nullptr) {
                NotifyAccessibleWindow(*host.host, AccessibleWindowEvent::Activated);
            }
            break;
        case FocusOut:
            if (host.inputContext != nullptr) XUnsetICFocus(host.inputContext);
            if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab && host.host != nullptr &&
                event.xfocus.detail != NotifyInferior) {
                NotifyAccessibleWindow(*host.host, AccessibleWindowEvent::Deactivated);
            }
            break;
        default: break;
    }
}

void X11Backend::OnButtonPress(Host& host, XButtonEvent& button) {
    const NativeWindow window = host.xid;
    if (disabled_.count(window)) return;
    x11_.SetEventState(button.state);
    if (!host.visible) return;
    XSetInputFocus(display_, host.xid, RevertToParent, CurrentTime);
    const std::intptr_t at = LayoutPoint(button.x, button.y);
    const std::optional<InputMessage> pressed = ButtonMessage(button);
    if (!pressed) return;
    if (pressed->message == msg::kLButtonDown) {
        const bool twice = lastPressWindow_ == window &&
                           button.time - lastPressTime_ < static_cast<Time>(kDoubleClickMilliseconds) &&
                           std::abs(button.x - lastPressX_) <= 4 && std::abs(button.y - lastPressY_) <= 4;
        lastPressWindow_ = twice ? 0 : window;
        lastPressTime_ = button.time;
        lastPressX_ = button.x;
        lastPressY_ = button.y;
        if (twice) {
            Deliver(window, msg::kLButtonDblClk, pressed->wParam, at);
            return;
        }
    }
    Deliver(window, pressed->message, pressed->wParam, at);
}

void X11Backend::OnButtonRelease(Host& host, XButtonEvent& button) {
    const NativeWindow window = host.xid;
    x11_.SetEventState(button.state);
    if (dragWindow_ == window && button.button == Button1) {
        dragWindow_ = 0;
        UiMapWriter::Instance().Refresh();
    }
    if (disabled_.count(window)) return;
    if (const std::optional<InputMessage> released = ButtonMessage(button)) {
        Deliver(window, released->message, released->wParam, LayoutPoint(button.x, button.y));
    }
}

void X11Backend::OnMotion(Host& host, XEvent& event) {
    const NativeWindow window = host.xid;
    // Only the latest position matters.
    while (XCheckTypedWindowEvent(display_, host.xid, MotionNotify, &event)) {
    }
    if (dragWindow_ == window) {
        const int left = event.xmotion.x_root - dragOffsetX_;
        const int top = event.xmotion.y_root - dragOffsetY_;
        MoveHostWindow(window, {left, top, left + host.size.width, top + host.size.height});
        return;
    }
    if (disabled_.count(window)) return;
    x11_.SetEventState(event.xmotion.state);
    UpdateCursor(host, static_cast<int>(event.xmotion.x / scale_), static_cast<int>(event.xmotion.y / scale_));
    const std::uintptr_t buttons = (event.xmotion.state & Button1Mask) ? msg::kMkLButton : 0;
    Deliver(window, msg::kMouseMove, buttons, LayoutPoint(event.xmotion.x, event.xmotion.y));
}

void X11Backend::OnKey(Host& host, XKeyEvent& key) {
    const NativeWindow window = host.xid;
    if (disabled_.count(window)) return;
    x11_.SetEventState(key.state);
    const bool press = key.type == KeyPress;
    if (const std::optional<InputMessage> stroke = KeyMessage(key, x11_.VirtualKeyOf(key.keycode))) {
        Deliver(window, stroke->message, stroke->wParam, press ? 1 : static_cast<std::intptr_t>(0xC0000001u));
    }
    if (!press || (key.state & (ControlMask | Mod1Mask))) return;
    // The key may have closed the window (Esc on a dialog).
    if (Host* current = FindHost(window)) TypeText(*current, key);
}

void X11Backend::TypeText(Host& host, XKeyEvent& key) {
    const NativeWindow window = host.xid;
    for (char16_t c : TypedCharacters(host.inputContext, key)) {
        if (FindHost(window) == nullptr) break;
        Deliver(window, msg::kChar, c, 1);
    }
}

std::optional<InputMessage> KeyMessage(const XKeyEvent& key, std::uint32_t vk) {
    if (vk == 0) return std::nullopt;
    const bool press = key.type == KeyPress;
    const bool alt = (key.state & Mod1Mask) != 0 || vk == msg::kVkMenu;
    return InputMessage{press ? (alt ? msg::kSysKeyDown : msg::kKeyDown) : (alt ? msg::kSysKeyUp : msg::kKeyUp), vk};
}

std::optional<InputMessage> ButtonMessage(const XButtonEvent& button) {
    const bool press = button.type == ButtonPress;
    if (button.button == Button1) return InputMessage{press ? msg::kLButtonDown : msg::kLButtonUp,
                                                      press ? msg::kMkLButton : 0};
    if (button.button == Button3) return InputMessage{press ? msg::kRButtonDown : msg::kRButtonUp, 0};
    if (button.button == Button2 && press) return InputMessage{msg::kMButtonDown, 0};
    if (press && (button.button == Button4 || button.button == Button5)) {
        const int delta = button.button == Button4 ? 120 : -120;
        return InputMessage{msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16};
    }
    return std::nullopt;
}

std::u16string TypedCharacters(XIC inputContext, XKeyEvent& key) {
    // The characters the key types in the user's layout and input method.
    std::string typed;
    if (inputContext != nullptr) {
        typed = LookupTypedText([&](char* buffer, int size, Status& status) {
            KeySym symbol = 0;
            return Xutf8LookupString(inputContext, &key, buffer, size, &symbol, &status);
        });
    } else {
        char buffer[64] = {};
        KeySym symbol = 0;
        const int length = XLookupString(&key, buffer, sizeof(buffer) - 1, &symbol, nullptr);
        if (length > 0) typed.assign(buffer, static_cast<std::size_t>(length));
    }
    std::u16string characters = Utf8ToUtf16(typed);
    // Delete types nothing.
    characters.erase(std::remove(characters.begin(), characters.end(), u'\x7F'), characters.end());
    return characters;
}

}  // namespace zintra::ui
