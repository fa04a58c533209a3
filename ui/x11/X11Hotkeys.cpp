// Hotkeys: each combination grabbed on the root window with every variant of
// the lock keys, and its key presses posted as WM_HOTKEY to its window. The
// grabs move with the key when the keyboard layout changes.
#include <X11/keysym.h>

#include <vector>

#include "base/TextUtil.h"
#include "base/WindowIds.h"
#include "platform/Messages.h"
#include "platform/linux/PortalShortcuts.h"
#include "platform/x11/KeyMapping.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

unsigned int X11Backend::LockMasks() const {
    // NumLock and ScrollLock sit on whichever modifier the keyboard map gives them.
    unsigned int numLock = 0, scrollLock = 0;
    XModifierKeymap* map = XGetModifierMapping(display_);
    if (map != nullptr) {
        const KeyCode num = XKeysymToKeycode(display_, XK_Num_Lock);
        const KeyCode scroll = XKeysymToKeycode(display_, XK_Scroll_Lock);
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                const KeyCode code = map->modifiermap[modifier * map->max_keypermod + k];
                if (code != 0 && code == num) numLock = 1u << modifier;
                if (code != 0 && code == scroll) scrollLock = 1u << modifier;
            }
        }
        XFreeModifiermap(map);
    }
    return LockMask | numLock | scrollLock;
}

bool X11Backend::GrabHotkey(Hotkey& hotkey, bool grab) {
    if (hotkey.keycode == 0) return false;
    const unsigned int locks = LockMasks();
    // Every combination of the lock modifiers, so the hotkey works whatever is on.
    std::vector<unsigned int> variants{0};
    for (unsigned int bit = 1; bit != 0 && bit <= locks; bit <<= 1) {
        if (!(locks & bit)) continue;
        const std::size_t count = variants.size();
        for (std::size_t i = 0; i < count; ++i) variants.push_back(variants[i] | bit);
    }
    XSync(display_, False);
    LastXError() = 0;
    for (unsigned int variant : variants) {
        if (grab) {
            XGrabKey(display_, static_cast<int>(hotkey.keycode), hotkey.mask | variant, root_, False, GrabModeAsync,
                     GrabModeAsync);
        } else {
            XUngrabKey(display_, static_cast<int>(hotkey.keycode), hotkey.mask | variant, root_);
        }
    }
    XSync(display_, False);
    const bool ok = LastXError() == 0;
    LastXError() = 0;
    if (grab && !ok) {
        // Another program holds the combination: nothing of ours may stay grabbed.
        for (unsigned int variant : variants) {
            XUngrabKey(display_, static_cast<int>(hotkey.keycode), hotkey.mask | variant, root_);
        }
        XSync(display_, False);
        LastXError() = 0;
    }
    return ok;
}

bool X11Backend::RegisterHotKey(NativeWindow window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    for (const Hotkey& h : hotkeys_) {
        if (h.window == window && h.id == id) return false;  // as RegisterHotKey: the id is taken
    }
    Hotkey hotkey{window, id, modifiers, virtualKey, x11_.KeycodeOf(virtualKey),
                  platform::x11::ModifiersToMask(modifiers)};
    for (const Hotkey& h : hotkeys_) {
        if (h.keycode == hotkey.keycode && h.mask == hotkey.mask) return false;  // already ours
    }
    if (!GrabHotkey(hotkey, true)) return false;
    hotkeys_.push_back(hotkey);
    FollowWithDesktopShortcut(hotkey);
    return true;
}

void X11Backend::FollowWithDesktopShortcut(const Hotkey& hotkey) {
    if (desktopShortcuts_ == nullptr || hotkey.id != kStartStopHotkeyId) return;
    shortcutTarget_ = hotkey;
    // The same keys for another window keep the binding the desktop already made.
    const std::string trigger = platform::x11::PortalTrigger(hotkey.modifiers, hotkey.virtualKey);
    if (trigger == shortcutTrigger_) return;
    shortcutTrigger_ = trigger;
    const NativeWindow window = hotkey.window;
    const auto id = static_cast<std::uintptr_t>(hotkey.id);
    desktopShortcuts_->Bind(
        trigger, [this] { DeliverDesktopShortcut(); },
        [this, window, id] { PostMessage(window, msg::kDesktopShortcutSettled, id, 0); });
}

DesktopShortcut X11Backend::DesktopShortcutOf(NativeWindow, int id) {
    using Binding = platform::linux_x11::PortalShortcuts::State;
    if (desktopShortcuts_ == nullptr || id != kStartStopHotkeyId) return {};
    DesktopShortcut shortcut;
    switch (desktopShortcuts_->Binding()) {
        case Binding::Asking: shortcut.state = DesktopShortcut::State::Asking; break;
        case Binding::Bound: shortcut.state = DesktopShortcut::State::Bound; break;
        // Never asked (the keys could not be grabbed either) counts as refused.
        case Binding::Idle:
        case Binding::NotBound: shortcut.state = DesktopShortcut::State::NotBound; break;
    }
    shortcut.otherKeys = Utf8ToUtf16(desktopShortcuts_->OtherDesktopKeys());
    return shortcut;
}

void X11Backend::DeliverDesktopShortcut() {
    if (!shortcutTarget_) return;
    const Hotkey& hotkey = *shortcutTarget_;
    const auto lParam = static_cast<std::intptr_t>((hotkey.virtualKey << 16) | (hotkey.modifiers & 0xFFFF));
    PostMessage(hotkey.window, msg::kHotKey, static_cast<std::uintptr_t>(hotkey.id), lParam);
}

void X11Backend::RegrabHotkeys() {
    // The same keys sit on other codes after a layout change.
    for (Hotkey& hotkey : hotkeys_) {
        GrabHotkey(hotkey, false);
        hotkey.keycode = x11_.KeycodeOf(hotkey.virtualKey);
        GrabHotkey(hotkey, true);
    }
}

bool X11Backend::UnregisterHotKey(NativeWindow window, int id) {
    for (auto it = hotkeys_.begin(); it != hotkeys_.end(); ++it) {
        if (it->window == window && it->id == id) {
            GrabHotkey(*it, false);
            if (shortcutTarget_ && shortcutTarget_->window == window && shortcutTarget_->id == id) {
                shortcutTarget_.reset();
            }
            hotkeys_.erase(it);
            return true;
        }
    }
    return false;
}

bool X11Backend::DeliverHotkey(const XKeyEvent& key) {
    if (key.window != root_) return false;
    const unsigned int relevant = key.state & ~LockMasks() & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
    for (const Hotkey& hotkey : hotkeys_) {
        if (hotkey.keycode == key.keycode && hotkey.mask == relevant) {
            const auto lParam = static_cast<std::intptr_t>((hotkey.virtualKey << 16) | (hotkey.modifiers & 0xFFFF));
            PostMessage(hotkey.window, msg::kHotKey, static_cast<std::uintptr_t>(hotkey.id), lParam);
            break;
        }
    }
    return true;
}

}  // namespace zintra::ui
