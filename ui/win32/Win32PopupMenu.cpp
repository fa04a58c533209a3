#include "ui/win32/Win32PopupMenu.h"

#include "ui/win32/WindowClass.h"

#include <algorithm>

#include "ui/core/SApplication.h"
#include "ui/core/ScreenScale.h"
#include "ui/render/Skin.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/win32/Win32Backend.h"

namespace zintra::ui {

namespace {

const wchar_t kOwnerClass[] = L"ZUIMENUOWNER";
constexpr Color kText{0x33, 0x33, 0x33, 255};
constexpr Color kDisabledText{0xAA, 0xAA, 0xAA, 255};
constexpr Color kBackground{0xFF, 0xFF, 0xFF, 255};
constexpr Color kHighlight{0xD9, 0xEE, 0xEE, 255};

Font MenuFont() {
    const SApplication* application = SApplication::Instance();
    return application != nullptr ? application->Definitions().DefaultFont() : Font{u"微软雅黑", 12};
}

}  // namespace

Win32PopupMenu::Win32PopupMenu(Win32Backend& backend, const MenuData& menu, double scale)
    : scale_(scale > 0.0 ? scale : 1.0), backend_(backend), data_(menu) {
    if (!RegisterWindowClassOnce({kOwnerClass, OwnerProc, 0, false})) return;
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ != nullptr) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    menu_ = Build(data_.items);
}

Win32PopupMenu::~Win32PopupMenu() {
    if (menu_ != nullptr) DestroyMenu(menu_);  // submenus go with it
    if (window_ != nullptr) DestroyWindow(window_);
}

HMENU Win32PopupMenu::Build(const std::vector<MenuItem>& items) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return nullptr;
    for (const MenuItem& item : items) {
        if (item.separator) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        items_.push_back(&item);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STATE;
        info.fType = MFT_OWNERDRAW;
        info.wID = static_cast<UINT>(item.id);
        info.dwItemData = items_.size() - 1;
        info.fState = item.disabled ? MFS_GRAYED : MFS_ENABLED;
        if (!item.children.empty()) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = Build(item.children);
        }
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
    }
    return menu;
}

const Skin* Win32PopupMenu::IconSkin() const {
    const SApplication* application = SApplication::Instance();
    return application == nullptr || data_.iconSkin.empty() ? nullptr : application->Definitions().FindSkin(data_.iconSkin);
}

int Win32PopupMenu::Track(platform::Point screenPoint, HWND owner) {
    if (menu_ == nullptr || window_ == nullptr) return 0;
    // A menu closes on a click elsewhere only while its owner is in front.
    SetForegroundWindow(owner != nullptr ? owner : window_);
    const int chosen = static_cast<int>(TrackPopupMenuEx(
        menu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPoint.x,
        screenPoint.y, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    return chosen;
}

LRESULT CALLBACK Win32PopupMenu::OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32PopupMenu*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType == ODT_MENU) {
            self->Measure(*measure);
            return TRUE;
        }
    }
    if (self != nullptr && message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType == ODT_MENU) {
            self->Draw(*draw);
            return TRUE;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Win32PopupMenu::Measure(MEASUREITEMSTRUCT& measure) {
    if (measure.itemData >= items_.size()) return;
    const MenuItem& item = *items_[measure.itemData];
    const Skin* skin = IconSkin();
    const int iconWidth = skin != nullptr ? skin->StateSize().width : 16;
    const int textWidth = backend_.Text().Measure(MenuFont(), item.text).width;
    // Laid out in layout units, sized in the pixels of the screen it opens on.
    measure.itemWidth = static_cast<UINT>(PixelOfUnit(data_.iconMargin + iconWidth + data_.textMargin + textWidth + 24, scale_));
    measure.itemHeight = static_cast<UINT>(PixelOfUnit(data_.itemHeight, scale_));
}

void Win32PopupMenu::Draw(const DRAWITEMSTRUCT& draw) {
    if (draw.itemData >= items_.size()) return;
    const MenuItem& item = *items_[draw.itemData];
    const int pixelWidth = draw.rcItem.right - draw.rcItem.left;
    const int pixelHeight = draw.rcItem.bottom - draw.rcItem.top;
    if (pixelWidth <= 0 || pixelHeight <= 0) return;
    PixelBuffer picture(pixelWidth, pixelHeight);
    SoftwareSurface surface(picture, backend_.Images(), backend_.Text(), scale_);
    const int width = UnitOfPixel(pixelWidth, scale_);
    const int height = UnitOfPixel(pixelHeight, scale_);
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    surface.FillRect({0, 0, width, height}, selected && !disabled ? kHighlight : kBackground);
    int x = data_.iconMargin;
    if (const Skin* skin = IconSkin()) {
        const platform::Size icon = skin->StateSize();
        if (item.icon >= 0) {
            const int top = (height - icon.height) / 2;
            surface.DrawSkin({x, top, x + icon.width, top + icon.height}, *skin, item.icon, disabled ? 128 : 255);
        }
        x += icon.width;
    } else {
        x += 16;
    }
    x += data_.textMargin;
    surface.DrawText({x, 0, width, height}, item.text, MenuFont(), disabled ? kDisabledText : kText,
                     text_mode::kSingleLine | text_mode::kVCenter);
    if (!canvas_.Ensure(pixelWidth, pixelHeight)) return;
    canvas_.CopyFrom(picture);
    BitBlt(draw.hDC, draw.rcItem.left, draw.rcItem.top, pixelWidth, pixelHeight, canvas_.Dc(), 0, 0, SRCCOPY);
}

}  // namespace zintra::ui
