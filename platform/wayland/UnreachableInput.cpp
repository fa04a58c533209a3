#include "platform/wayland/UnreachableInput.h"

namespace zintra::platform::wayland {

std::string UnreachableInput::InputProblem() {
    return "这个桌面没有提供让程序点击的途径，点击无法送达。"
           "可用的桌面：提供远程桌面门户的桌面（GNOME、KDE），或 wlroots 类合成器（sway、Hyprland、wayfire）。";
}

}  // namespace zintra::platform::wayland
