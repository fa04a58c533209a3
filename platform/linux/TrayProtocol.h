// The pure translations between the program's tray record and the desktop's
// protocols, kept apart from the bus so they can be tested alone: icon
// pictures to StatusNotifierItem pixmaps, clicks on the item to the callback
// message the tray code receives on Windows, a balloon to a notice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/linux/DesktopLoop.h"

namespace zintra::platform::linux_x11 {

// One picture as the item's IconPixmap entry wants it: ARGB32 words in
// network byte order (alpha first). Empty when the picture's pixels do not
// match its size.
std::vector<std::uint8_t> PixmapBytes(const IconPicture& picture);

enum class TrayClick {
    Activate,     // the primary action (a left click on most panels)
    ContextMenu,  // the panel asks for the item's menu (a right click)
};

struct TrayCallback {
    NativeWindow window = 0;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    friend bool operator==(const TrayCallback&, const TrayCallback&) = default;
};

// The message a click on the icon posts, as the Windows shell posts it for
// an icon without a version: the record's callback message to its window,
// wParam the icon's id, lParam the button-down message. Nothing when the
// record asks for no callbacks.
std::optional<TrayCallback> CallbackFor(TrayClick click, const TrayIconData& record);

// A desktop notice: the balloon's title is its summary and the text its
// body; a balloon without a title shows its text as the summary, since
// notification servers always show the summary and may hide the body.
struct Notice {
    std::string summary;
    std::string body;
};
// The notice a record modification asks for; nothing when the record carries
// no balloon or its text is empty (which only takes a balloon away).
std::optional<Notice> NoticeFor(const TrayIconData& record);

// The name under which the desktop's icon theme finds this program's icon
// (installed by the package into hicolor), or empty when no theme folder in
// `dataDirectories` (colon-separated, as $XDG_DATA_DIRS) or `dataHome` has it.
std::string InstalledIconName(const std::string& dataHome, const std::string& dataDirectories);

}  // namespace zintra::platform::linux_x11
