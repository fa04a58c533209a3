// The input method behind typed text (XMODIFIERS): its connection and an input
// context per host window. A server that stops takes its contexts with it;
// typing then goes on without one, and the program connects again, with new
// contexts, as soon as a server is there (also one that starts after us).
// It is opened once the first window has been painted: until then keys are
// looked up without it, each once, as they would be with no input method.
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

namespace {

void InputMethodStarted(Display*, XPointer backend, XPointer) {
    reinterpret_cast<X11Backend*>(backend)->OnInputMethodStarted();
}

void InputMethodGone(XIM, XPointer backend, XPointer) { reinterpret_cast<X11Backend*>(backend)->OnInputMethodGone(); }

}  // namespace

void X11Backend::OpenInputMethod() {
    inputMethodAsked_ = true;
    inputMethod_ = XOpenIM(display_, nullptr, nullptr, nullptr);
    if (inputMethod_ == nullptr) {
        // The server named may start later.
        waitingForInputMethod_ = XRegisterIMInstantiateCallback(display_, nullptr, nullptr, nullptr,
                                                                InputMethodStarted, reinterpret_cast<XPointer>(this));
        return;
    }
    XIMCallback gone{reinterpret_cast<XPointer>(this), InputMethodGone};
    XSetIMValues(inputMethod_, XNDestroyCallback, &gone, nullptr);
}

void X11Backend::CloseInputMethod() {
    if (waitingForInputMethod_) {
        XUnregisterIMInstantiateCallback(display_, nullptr, nullptr, nullptr, InputMethodStarted,
                                         reinterpret_cast<XPointer>(this));
        waitingForInputMethod_ = false;
    }
    if (inputMethod_ != nullptr) XCloseIM(inputMethod_);
    inputMethod_ = nullptr;
}

void X11Backend::CreateInputContext(Host& host) {
    if (inputMethod_ == nullptr) return;
    host.inputContext = XCreateIC(inputMethod_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow,
                                  host.xid, XNFocusWindow, host.xid, nullptr);
}

void X11Backend::OnInputMethodStarted() {
    if (inputMethod_ != nullptr) return;
    XUnregisterIMInstantiateCallback(display_, nullptr, nullptr, nullptr, InputMethodStarted,
                                     reinterpret_cast<XPointer>(this));
    waitingForInputMethod_ = false;
    ConnectInputMethod();
}

void X11Backend::ConnectInputMethod() {
    inputMethodDue_ = false;
    OpenInputMethod();
    if (inputMethod_ == nullptr) return;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    for (auto& [handle, host] : hosts_) {
        if (host->destroying || host->inputContext != nullptr) continue;
        CreateInputContext(*host);
        if (host->inputContext != nullptr && host->xid == focus) XSetICFocus(host->inputContext);
    }
}

void X11Backend::OnInputMethodGone() {
    // Its contexts went with it: they are forgotten, never destroyed.
    inputMethod_ = nullptr;
    for (auto& [handle, host] : hosts_) host->inputContext = nullptr;
    for (auto& host : graveyard_) host->inputContext = nullptr;
    waitingForInputMethod_ = XRegisterIMInstantiateCallback(display_, nullptr, nullptr, nullptr, InputMethodStarted,
                                                            reinterpret_cast<XPointer>(this));
}

}  // namespace zintra::ui
