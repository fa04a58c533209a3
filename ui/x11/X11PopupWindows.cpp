// The toolkit's pop-ups on X11: override-redirect windows that the window
// manager never places or focuses, painted from their content, and the loop
// that grabs the pointer and the keyboard and hands every input event to the
// toolkit with the pointer in screen pixels.
#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/Messages.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

namespace {

constexpr long kActiveEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                               KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask;
constexpr unsigned int kGrabbedPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
// Another program may hold the pointer for a moment (a panel ending the
// click that opened a menu): the grab is tried again for a fifth of a second.
constexpr int kGrabAttempts = 20;
constexpr auto kGrabRetry = std::chrono::milliseconds(10);

bool IsInput(int type) {
    return type == ButtonPress || type == ButtonRelease || type == MotionNotify || type == KeyPress ||
           type == KeyRelease;
}

}  // namespace

struct X11Backend::PopupLoop {
    PopupInput& input;
    const bool& open;
    Window grab = 0;  // the pop-up holding the pointer and the keyboard
    bool cancelled = false;
    void Cancel() {
        if (cancelled) return;
        cancelled = true;
        input.PopupCancelled();
    }
};

NativeWindow X11Backend::OpenPopup(PopupContent& content, const PopupSpec& spec) {
    if (spec.rect.Width() <= 0 || spec.rect.Height() <= 0) return 0;
    auto popup = std::make_unique<PopupWindow>();
    popup->content = &content;
    popup->spec = spec;
    LastXError() = 0;
    // A tooltip only paints: the mouse goes to what lies below it.
    popup->window.Create(display_, screen_, false, spec.rect, spec.passive ? ExposureMask : kActiveEvents);
    const Window xid = popup->window.xid;
    if (xid == 0) return 0;
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = False;  // never takes the focus
    XSetWMHints(display_, xid, &hints);
    // Tests and compositors tell a tooltip from a menu or a list by these.
    XStoreName(display_, xid, spec.passive ? "zintra-tooltip" : "zintra-popup");
    const Atom type = Intern(spec.passive ? "_NET_WM_WINDOW_TYPE_TOOLTIP" : "_NET_WM_WINDOW_TYPE_POPUP_MENU");
    XChangeProperty(display_, xid, Intern("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
    if (spec.passive) XShapeCombineRectangles(display_, xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    XMapRaised(display_, xid);
    XSync(display_, False);
    if (LastXError() != 0) {
        LastXError() = 0;
        return 0;
    }
    popups_.push_back(std::move(popup));
    RefreshPopup(xid);
    return xid;
}

void X11Backend::ClosePopup(NativeWindow window) {
    const auto found = std::find_if(popups_.begin(), popups_.end(),
                                    [&](const auto& popup) { return popup->window.xid == Xid(window); });
    if (found == popups_.end()) return;
    popups_.erase(found);
    XFlush(display_);
    if (popupLoop_ == nullptr || popupLoop_->grab != Xid(window)) return;
    // The server let the grab go with its window; the loop goes on with the next pop-up.
    popupLoop_->grab = 0;
    const auto next = std::find_if(popups_.begin(), popups_.end(), [](const auto& popup) { return !popup->spec.passive; });
    if (next == popups_.end()) return;
    if (GrabForPopups((*next)->window.xid)) {
        popupLoop_->grab = (*next)->window.xid;
    } else {
        popupLoop_->Cancel();
    }
}

void X11Backend::RefreshPopup(NativeWindow window) {
    PopupWindow* popup = FindPopup(Xid(window));
    if (popup == nullptr) return;
    Popup& native = popup->window;
    native.picture.Resize(popup->spec.rect.Width(), popup->spec.rect.Height());
    native.picture.Clear();
    SoftwareSurface surface(native.picture, images_, text_, popup->spec.scale);
    popup->content->PaintPopup(surface);
    PutPicture(native.xid, native.gc, native.picture, false, native.visual, native.depth);
    XFlush(display_);
}


X11Backend::PopupWindow* X11Backend::FindPopup(Window xid) const {
    for (const auto& popup : popups_) {
        if (popup->window.xid == xid) return popup.get();
    }
    return nullptr;
}

bool X11Backend::HandlePopupWindowEvent(XEvent& event) {
    PopupWindow* popup = FindPopup(event.xany.window);
    if (popup == nullptr) return false;
    if (event.type == Expose && event.xexpose.count == 0) {
        Popup& native = popup->window;
        PutPicture(native.xid, native.gc, native.picture, false, native.visual, native.depth);
    }
    return true;
}

bool X11Backend::GrabForPopups(Window window) {
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kGrabRetry);
        const int pointer = XGrabPointer(display_, window, False, kGrabbedPointerEvents, GrabModeAsync, GrabModeAsync,
                                         None, None, CurrentTime);
        if (pointer == GrabNotViewable || pointer == GrabInvalidTime) return false;
        if (pointer != GrabSuccess) continue;
        const int keyboard = XGrabKeyboard(display_, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (keyboard == GrabSuccess) return true;
        XUngrabPointer(display_, CurrentTime);
        if (keyboard == GrabNotViewable || keyboard == GrabInvalidTime) return false;
    }
    return false;
}

bool X11Backend::RunPopupLoop(PopupInput& input, const bool& open) {
    PopupLoop loop{input, open};
    const auto first = std::find_if(popups_.begin(), popups_.end(), [](const auto& popup) { return !popup->spec.passive; });
    if (first == popups_.end() || !GrabForPopups((*first)->window.xid)) {
        // Without the mouse and the keys the pop-up could never close.
        loop.Cancel();
        return !quitting_;
    }
    loop.grab = (*first)->window.xid;
    PopupLoop* const outer = popupLoop_;
    popupLoop_ = &loop;
    const EventFilter previous = filter_;
    filter_ = [this, &loop](XEvent& event) { return FilterPopupEvent(loop, event); };
    const bool running = Pump([&] { return open && !loop.cancelled; });
    filter_ = previous;
    popupLoop_ = outer;
    XUngrabPointer(display_, CurrentTime);
    XUngrabKeyboard(display_, CurrentTime);
    if (outer != nullptr && outer->grab != 0 && !GrabForPopups(outer->grab)) outer->Cancel();
    capture_ = 0;
    XFlush(display_);
    return running;
}

bool X11Backend::FilterPopupEvent(PopupLoop& loop, XEvent& event) {
    const Window window = event.xany.window;
    const bool grabbing = loop.grab != 0 && window == loop.grab;
    if (grabbing && ((event.type == FocusOut && event.xfocus.mode == NotifyUngrab) || event.type == UnmapNotify)) {
        // Someone unmapped the pop-up, and the server let the grab go with it.
        loop.Cancel();
        return true;
    }
    if (!IsInput(event.type)) return false;
    // Input for other windows is dropped while the pop-ups hold the mouse and the keys.
    if (grabbing || FindPopup(window) != nullptr) DeliverPopupInput(loop, event);
    return true;
}

void X11Backend::DeliverPopupInput(PopupLoop& loop, XEvent& event) {
    if (event.type == MotionNotify) {
        // Only the latest position matters.
        XEvent next;
        while (XPending(display_) > 0) {
            XPeekEvent(display_, &next);
            if (next.type != MotionNotify) break;
            XNextEvent(display_, &event);
        }
        x11_.SetEventState(event.xmotion.state);
        const std::uintptr_t buttons = (event.xmotion.state & Button1Mask) ? msg::kMkLButton : 0;
        loop.input.PopupMessage(msg::kMouseMove, buttons, {event.xmotion.x_root, event.xmotion.y_root});
    } else if (event.type == ButtonPress || event.type == ButtonRelease) {
        x11_.SetEventState(event.xbutton.state);
        if (const std::optional<InputMessage> button = ButtonMessage(event.xbutton)) {
            loop.input.PopupMessage(button->message, button->wParam, {event.xbutton.x_root, event.xbutton.y_root});
        }
    } else {
        XKeyEvent& key = event.xkey;
        x11_.SetEventState(key.state);
        const platform::Point at{key.x_root, key.y_root};
        if (const std::optional<InputMessage> stroke = KeyMessage(key, x11_.VirtualKeyOf(key.keycode))) {
            loop.input.PopupMessage(stroke->message, stroke->wParam, at);
        }
        if (key.type != KeyPress || (key.state & (ControlMask | Mod1Mask))) return;
        for (char16_t c : TypedCharacters(nullptr, key)) {
            if (!loop.open || loop.cancelled) break;
            loop.input.PopupMessage(msg::kChar, c, at);
        }
    }
}

}  // namespace zintra::ui
