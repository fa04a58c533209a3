// The backend's own pop-ups: drop-down lists and menus (each in a loop of
// its own that holds the mouse and the keys while it is open) and tool tips.
// FIXME: drawn here by hand until the toolkit draws its pop-ups itself.
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "ui/core/SApplication.h"
#include "ui/core/ScreenScale.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

namespace {

constexpr long kPopupEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;

// A menu's items laid out top to bottom in layout units.
struct MenuLayout {
    static constexpr int kSeparator = 7;
    const MenuData& menu;
    std::vector<const MenuItem*> items;
    std::vector<int> tops;
    const Skin* iconSkin = nullptr;
    int iconWidth = 16;
    Font font;
    int width = 80;
    int height = 2;

    MenuLayout(const MenuData& data, TextRasterizer& text);
    // The item under a point, -1 for none or a separator.
    int ItemAt(int x, int y) const;
    // The next item up or down from `hover`, passing separators, wrapping round.
    int Step(int hover, int step) const;
    bool Choosable(int index) const {
        return index >= 0 && !items[static_cast<std::size_t>(index)]->disabled;
    }
    void Paint(SoftwareSurface& surface, int hover) const;
    void PaintItem(SoftwareSurface& surface, std::size_t index, bool hovered) const;
};

MenuLayout::MenuLayout(const MenuData& data, TextRasterizer& text) : menu(data), font(MenuFont()) {
    for (const MenuItem& item : menu.items) items.push_back(&item);
    const SApplication* application = SApplication::Instance();
    if (application != nullptr && !menu.iconSkin.empty()) iconSkin = application->Definitions().FindSkin(menu.iconSkin);
    if (iconSkin != nullptr) iconWidth = iconSkin->StateSize().width;
    for (const MenuItem* item : items) {
        tops.push_back(height);
        height += item->separator ? kSeparator : menu.itemHeight;
        width = std::max(width, menu.iconMargin + iconWidth + menu.textMargin + text.Measure(font, item->text).width + 24);
    }
    height += 2;
}

int MenuLayout::ItemAt(int lx, int ly) const {
    if (lx < 0 || lx >= width || ly < 0 || ly >= height) return -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int bottom = tops[i] + (items[i]->separator ? kSeparator : menu.itemHeight);
        if (ly >= tops[i] && ly < bottom) return items[i]->separator ? -1 : static_cast<int>(i);
    }
    return -1;
}

int MenuLayout::Step(int hover, int step) const {
    const int count = static_cast<int>(items.size());
    int next = hover;
    for (int tries = 0; tries < count; ++tries) {
        next = ((next < 0 ? (step > 0 ? -1 : count) : next) + step + count) % count;
        if (!items[static_cast<std::size_t>(next)]->separator) break;
    }
    return next;
}

void MenuLayout::Paint(SoftwareSurface& surface, int hover) const {
    surface.FillRect({0, 0, width, height}, Color{255, 255, 255, 255});
    surface.FrameRect({0, 0, width, height}, Color{0xCC, 0xCC, 0xCC, 255}, 0);  // a hairline
    for (std::size_t i = 0; i < items.size(); ++i) PaintItem(surface, i, static_cast<int>(i) == hover);
}

void MenuLayout::PaintItem(SoftwareSurface& surface, std::size_t index, bool hovered) const {
    const MenuItem& item = *items[index];
    const int top = tops[index];
    if (item.separator) {
        surface.FillRect({4, top + kSeparator / 2, width - 4, top + kSeparator / 2 + 1}, Color{0xDD, 0xDD, 0xDD, 255});
        return;
    }
    const platform::Rect row{1, top, width - 1, top + menu.itemHeight};
    if (hovered && !item.disabled) surface.FillRect(row, Color{0xD9, 0xEE, 0xEE, 255});
    int x = menu.iconMargin;
    if (iconSkin != nullptr && item.icon >= 0) {
        const platform::Size icon = iconSkin->StateSize();
        const int iconTop = top + (menu.itemHeight - icon.height) / 2;
        surface.DrawSkin({x, iconTop, x + icon.width, iconTop + icon.height}, *iconSkin, item.icon,
                         item.disabled ? 128 : 255);
    }
    x += iconWidth + menu.textMargin;
    surface.DrawText({x, top, width, top + menu.itemHeight}, item.text, font,
                     item.disabled ? Color{0xAA, 0xAA, 0xAA, 255} : Color{0x33, 0x33, 0x33, 255},
                     text_mode::kSingleLine | text_mode::kVCenter);
}

// Escape closes, Enter chooses the item under the highlight, the arrows move it.
void HandleMenuKey(XKeyEvent& key, const MenuLayout& layout, int& hover, int& chosen, bool& open,
                   const std::function<void()>& paint) {
    const unsigned long keysym = XLookupKeysym(&key, 0);
    if (keysym == XK_Escape) open = false;
    if ((keysym == XK_Return || keysym == XK_KP_Enter) && layout.Choosable(hover)) {
        chosen = layout.items[static_cast<std::size_t>(hover)]->id;
        open = false;
    }
    const int step = keysym == XK_Down ? 1 : keysym == XK_Up ? -1 : 0;
    if (step != 0) {
        hover = layout.Step(hover, step);
        paint();
    }
}

struct DropDownState {
    int hover;
    int chosen = -1;
    bool open = true;
};

void HandleDropDownEvent(XEvent& event, DropDownState& state, int count, const std::function<void()>& paint,
                         const std::function<int(int, int)>& itemAt, const std::function<void(int)>& highlight) {
    switch (event.type) {
        case Expose: paint(); break;
        case MotionNotify:
            if (const int index = itemAt(event.xmotion.x, event.xmotion.y); index >= 0) highlight(index);
            break;
        case ButtonRelease:
            // The release of the press that opened the list is not a choice.
            if (const int index = itemAt(event.xbutton.x, event.xbutton.y); index >= 0) {
                state.chosen = index;
                state.open = false;
            }
            break;
        case ButtonPress:
            if (itemAt(event.xbutton.x, event.xbutton.y) < 0) state.open = false;
            break;
        case KeyPress: {
            const unsigned long keysym = XLookupKeysym(&event.xkey, 0);
            if (keysym == XK_Escape || keysym == XK_Tab || keysym == XK_Alt_L) state.open = false;
            if (keysym == XK_Return || keysym == XK_KP_Enter) state.chosen = state.hover, state.open = false;
            if (keysym == XK_Up) highlight(std::max(0, state.hover - 1));
            if (keysym == XK_Down) highlight(std::min(count - 1, state.hover + 1));
            break;
        }
        default: break;
    }
}

}  // namespace

X11Backend::Popup::~Popup() {
    if (gc != nullptr) XFreeGC(display, gc);
    if (xid != 0) XDestroyWindow(display, xid);
    if (colormap != 0) XFreeColormap(display, colormap);
    if (display != nullptr) XFlush(display);
}

void X11Backend::Popup::Create(Display* on, int screen, bool argbWanted, const platform::Rect& rect, long events) {
    display = on;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = events;
    unsigned long mask = CWOverrideRedirect | CWSaveUnder | CWEventMask;
    XVisualInfo info{};
    argb = argbWanted && XMatchVisualInfo(display, screen, 32, TrueColor, &info);
    if (argb) {
        visual = info.visual;
        depth = 32;
        colormap = XCreateColormap(display, RootWindow(display, screen), visual, AllocNone);
        attributes.colormap = colormap;
        attributes.border_pixel = 0;
        attributes.background_pixel = 0;
        mask |= CWColormap | CWBorderPixel | CWBackPixel;
    } else {
        visual = DefaultVisual(display, screen);
        depth = DefaultDepth(display, screen);
    }
    xid = XCreateWindow(display, RootWindow(display, screen), rect.left, rect.top,
                        static_cast<unsigned>(std::max(1, rect.Width())), static_cast<unsigned>(std::max(1, rect.Height())),
                        0, depth, InputOutput, visual, mask, &attributes);
    gc = XCreateGC(display, xid, 0, nullptr);
}

bool X11Backend::RunPopup(Window popup, const std::function<void()>& paint,
                          const std::function<void(XEvent&)>& handle, const bool& open) {
    XMapRaised(display_, popup);
    XSync(display_, False);
    // Mouse and keys go to the pop-up while it is open; everything else runs as usual.
    XGrabPointer(display_, popup, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(display_, popup, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    const EventFilter previous = filter_;
    filter_ = [&](XEvent& event) {
        if (event.xany.window == popup) {
            handle(event);
            return true;
        }
        // Input meant for other windows waits until the pop-up closes.
        return event.type == ButtonPress || event.type == ButtonRelease || event.type == KeyPress ||
               event.type == KeyRelease || event.type == MotionNotify;
    };
    paint();
    const bool running = Pump([&] { return open; });
    filter_ = previous;
    XUngrabPointer(display_, CurrentTime);
    XUngrabKeyboard(display_, CurrentTime);
    capture_ = 0;
    return running;
}

platform::Rect X11Backend::DropDownRect(const DropDownRequest& request, int width, int height) {
    // The anchor is in screen pixels; the list's own sizes are layout units.
    const int pixelWidth = static_cast<int>(std::lround(width * scale_));
    const int pixelHeight = static_cast<int>(std::lround(height * scale_));
    const platform::Rect area = ScreenWorkArea();
    const platform::Rect& anchor = request.anchor;
    // Below the box, else above it when it does not fit below.
    if (anchor.bottom + pixelHeight > area.bottom && anchor.top - pixelHeight >= area.top) {
        return {anchor.left, anchor.top - pixelHeight, anchor.left + pixelWidth, anchor.top};
    }
    return {anchor.left, anchor.bottom, anchor.left + pixelWidth, anchor.bottom + pixelHeight};
}

int X11Backend::RunDropDown(const DropDownRequest& request) {
    DropDownList* list = request.list;
    const int count = static_cast<int>(request.entries.size());
    if (list == nullptr || count == 0) return -1;
    constexpr int kBorder = 1;
    constexpr Color kBorderColor{0x01, 0x5C, 0x5D, 255};
    // FIXME: lists taller than the drop height are cut, not scrolled; the program's lists fit.
    const int content = count * request.itemHeight;
    const int height = std::min(std::max(request.dropHeight, request.itemHeight), content) + 2 * kBorder;
    const int width = std::max(static_cast<int>(std::lround(request.anchor.Width() / scale_)), 20);
    const platform::Rect device = DropDownRect(request, width, height);
    Popup popup;
    popup.Create(display_, screen_, false, device, kPopupEvents);
    const int original = request.selected;
    DropDownState state{original};
    const auto paint = [&] {
        popup.picture.Resize(device.Width(), device.Height());
        SoftwareSurface surface(popup.picture, images_, text_, scale_);
        surface.FillRect({0, 0, width, height}, Color{255, 255, 255, 255});
        list->PlaceEntries({kBorder, kBorder, width - kBorder, height - kBorder});
        list->PaintEntries(surface);
        surface.FrameRect({0, 0, width, height}, kBorderColor, kBorder);
        PutPicture(popup.xid, popup.gc, popup.picture, false, popup.visual, popup.depth);
    };
    const auto itemAt = [&](int x, int y) {
        const int lx = static_cast<int>(x / scale_), ly = static_cast<int>(y / scale_);
        if (lx < 0 || lx >= width || ly < 0 || ly >= height) return -1;
        return list->EntryAt({lx, ly});
    };
    const auto highlight = [&](int index) {
        if (index == state.hover) return;
        state.hover = index;
        list->HighlightEntry(index);
        paint();
    };
    const auto handle = [&](XEvent& event) { HandleDropDownEvent(event, state, count, paint, itemAt, highlight); };
    const bool running = RunPopup(popup.xid, paint, handle, state.open);
    // The caller applies the choice as a change of its own.
    list->HighlightEntry(original);
    if (!running) return -1;
    return state.chosen;
}


platform::Rect X11Backend::MenuRect(platform::Point at, int width, int height, double scale) {
    platform::Rect rect{at.x, at.y, at.x + static_cast<int>(std::lround(width * scale)),
                        at.y + static_cast<int>(std::lround(height * scale))};
    const platform::Rect area = ScreenWorkArea();
    if (rect.right > area.right) rect = {rect.left - rect.Width(), rect.top, rect.left, rect.bottom};
    if (rect.bottom > area.bottom) rect = {rect.left, rect.top - rect.Height(), rect.right, rect.top};
    return rect;
}

int X11Backend::TrackPopupMenu(const MenuData& menu, platform::Point at, NativeWindow) {
    // One level: items with sub-items open nothing here.
    if (menu.items.empty()) return 0;
    const MenuLayout layout(menu, text_);
    const double scale = scale_ * menu.scalePercent / 100.0;
    const platform::Rect rect = MenuRect(at, layout.width, layout.height, scale);
    Popup popup;
    popup.Create(display_, screen_, false, rect, kPopupEvents);
    int hover = -1;
    const auto paint = [&] {
        popup.picture.Resize(rect.Width(), rect.Height());
        SoftwareSurface surface(popup.picture, images_, text_, scale);
        layout.Paint(surface, hover);
        PutPicture(popup.xid, popup.gc, popup.picture, false, popup.visual, popup.depth);
    };
    const auto itemAt = [&](int x, int y) { return layout.ItemAt(static_cast<int>(x / scale), static_cast<int>(y / scale)); };
    const auto choosable = [&](int index) {
        return layout.Choosable(index) && layout.items[static_cast<std::size_t>(index)]->children.empty();
    };
    int chosen = 0;
    bool open = true;
    const auto handle = [&](XEvent& event) {
        switch (event.type) {
            case Expose: paint(); break;
            case MotionNotify:
                if (const int index = itemAt(event.xmotion.x, event.xmotion.y); index != hover) hover = index, paint();
                break;
            case ButtonRelease:
                if (const int index = itemAt(event.xbutton.x, event.xbutton.y); choosable(index)) {
                    chosen = layout.items[static_cast<std::size_t>(index)]->id, open = false;
                }
                break;
            case ButtonPress:
                if (itemAt(event.xbutton.x, event.xbutton.y) < 0) open = false;
                break;
            case KeyPress: HandleMenuKey(event.xkey, layout, hover, chosen, open, paint); break;
            default: break;
        }
    };
    return RunPopup(popup.xid, paint, handle, open) ? chosen : 0;
}

void X11Backend::ShowToolTip(NativeWindow owner, std::u16string_view text, platform::Point screenPoint) {
    toolTip_.reset();
    toolTipOwner_ = 0;
    if (text.empty()) return;
    static constexpr Color kBackground{0xFF, 0xFF, 0xE1, 255};
    static constexpr Color kBorder{0x76, 0x76, 0x76, 255};
    static constexpr Color kText{0x00, 0x00, 0x00, 255};
    constexpr int kPaddingX = 5;  // layout units around the text
    constexpr int kPaddingY = 3;
    const Font font = MenuFont();
    const double scale = WindowScale(owner);
    // Measured in layout units, drawn in the owner's pixels.
    const platform::Size textSize = MeasureText(font, text);
    const int width = textSize.width + 2 * kPaddingX;
    const int height = textSize.height + 2 * kPaddingY;
    auto popup = std::make_unique<Popup>();
    popup->picture.Resize(PixelOfUnit(width, scale), PixelOfUnit(height, scale));
    SoftwareSurface surface(popup->picture, images_, text_, scale);
    surface.FillRect({0, 0, width, height}, kBackground);
    surface.DrawText({kPaddingX, kPaddingY, width - kPaddingX, height - kPaddingY}, std::u16string(text), font, kText,
                     text_mode::kSingleLine | text_mode::kVCenter);
    surface.FrameRect({0, 0, width, height}, kBorder, 0);  // a hairline
    // Moved in from the right and bottom edges of the work area.
    const platform::Rect area = ScreenWorkArea();
    const int left = std::max(area.left, std::min(screenPoint.x, area.right - popup->picture.width));
    const int top = std::max(area.top, std::min(screenPoint.y, area.bottom - popup->picture.height));
    popup->Create(display_, screen_, false, {left, top, left + popup->picture.width, top + popup->picture.height},
                  ExposureMask);
    if (popup->xid == 0) return;
    // Never takes the keyboard, and the mouse goes to whatever lies below.
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = False;
    XSetWMHints(display_, popup->xid, &hints);
    XShapeCombineRectangles(display_, popup->xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    XStoreName(display_, popup->xid, "zintra-tooltip");
    XMapRaised(display_, popup->xid);
    XSync(display_, False);
    PutPicture(popup->xid, popup->gc, popup->picture, false, popup->visual, popup->depth);
    XFlush(display_);
    toolTip_ = std::move(popup);
    toolTipOwner_ = owner;
}

void X11Backend::HideToolTip(NativeWindow owner) {
    if (owner != toolTipOwner_) return;
    toolTip_.reset();
    toolTipOwner_ = 0;
}

}  // namespace zintra::ui
