#include "ui/core/SWindow.h"

#include <algorithm>

#include "ui/core/Accessible.h"
#include "ui/core/Backend.h"
#include "ui/core/Log.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostWnd.h"
#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

platform::Rect Deflate(const platform::Rect& rect, const platform::Rect& by) {
    platform::Rect out{rect.left + by.left, rect.top + by.top, rect.right - by.right, rect.bottom - by.bottom};
    out.right = std::max(out.right, out.left);
    out.bottom = std::max(out.bottom, out.top);
    return out;
}

std::optional<platform::Rect> ParseMargin(std::string_view text) {
    int values[4] = {0, 0, 0, 0};
    int count = 0;
    while (count < 4) {
        const auto comma = text.find(',');
        const auto value = ParseInteger(text.substr(0, comma));
        if (!value || *value < 0 || *value > 1000) return std::nullopt;
        values[count++] = static_cast<int>(*value);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count == 1) return platform::Rect{values[0], values[0], values[0], values[0]};
    if (count == 2) return platform::Rect{values[0], values[1], values[0], values[1]};
    if (count == 4) return platform::Rect{values[0], values[1], values[2], values[3]};
    return std::nullopt;
}

// Walks the descendants breadth-first down to `depth` levels (-1: all).
template <class Match>
SWindow* FindBelow(const SWindow& from, int depth, Match match) {
    if (depth == 0) return nullptr;
    std::vector<const SWindow*> level{&from};
    for (int current = 1; !level.empty() && (depth < 0 || current <= depth); ++current) {
        std::vector<const SWindow*> next;
        for (const SWindow* window : level) {
            for (const auto& child : window->GetChildren()) {
                if (match(*child)) return child.get();
                next.push_back(child.get());
            }
        }
        level = std::move(next);
    }
    return nullptr;
}

}  // namespace

SWindow::SWindow() {
    static std::uint32_t lastId = 0;
    uniqueId_ = ++lastId;
}
SWindow::~SWindow() = default;

// ---- Tree ----

const SWindow* SWindow::Root() const {
    const SWindow* window = this;
    while (window->parent_ != nullptr) window = window->parent_;
    return window;
}

SHostWnd* SWindow::GetHost() const { return Root()->host_; }

SWindow* SWindow::InsertChild(std::unique_ptr<SWindow> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    RequestLayout();
    return children_.back().get();
}

SWindow* SWindow::FindChildByName(std::string_view name, int depth) const {
    if (name.empty()) return nullptr;
    return FindBelow(*this, depth, [&](const SWindow& w) { return w.name_ == name; });
}

SWindow* SWindow::FindChildByID(int id, int depth) const {
    return FindBelow(*this, depth, [&](const SWindow& w) { return w.id_ == id; });
}

SWindow* CheckedByName(SWindow* found, std::string_view name, std::string_view className, int depth) {
    if (found != nullptr && found->IsClass(className)) return found;
    Log("FindChildByName2 Failed, no window of class [%s] with name of [%s] was found within [%d] levels",
        std::string(className).c_str(), std::string(name).c_str(), depth);
    return nullptr;
}

SWindow* CheckedByID(SWindow* found, int id, std::string_view className, int depth) {
    if (found != nullptr && found->IsClass(className)) return found;
    Log("FindChildByID2 Failed, no window of class [%s] with id of [%d] was found within [%d] levels",
        std::string(className).c_str(), id, depth);
    return nullptr;
}

// ---- Attributes ----

bool SWindow::SetAttribute(std::string_view name, std::string_view value, bool loading) {
    std::string resolved(value);
    if (const auto* application = SApplication::Instance()) {
        resolved = application->Definitions().ResolveReference(value);
    }
    const bool known = ApplyAttribute(name, resolved, loading);
    attributes_[std::string(name)] = resolved;
    if (!loading) {
        RequestLayout();
        Invalidate();
    }
    return known;
}

std::optional<std::string> SWindow::GetAttribute(std::string_view name) const {
    if (name == "show" || name == "visible") return visible_ ? "1" : "0";
    if (name == "enable") return enabled_ ? "1" : "0";
    if (name == "text") return Utf16ToUtf8(text_);
    if (name == "class") return className_;
    auto it = attributes_.find(name);
    if (it == attributes_.end()) return std::nullopt;
    return it->second;
}

void SWindow::ApplyClass(const std::string& className, bool loading) {
    className_ = className;
    const AttributeList* attributes = nullptr;
    if (const SHostWnd* host = GetHost()) attributes = host->LocalStyles().Find(className);
    if (attributes == nullptr) {
        if (const auto* application = SApplication::Instance()) attributes = application->Definitions().Styles().Find(className);
    }
    if (attributes == nullptr) return;
    for (const auto& [name, value] : *attributes) {
        if (name != "class") SetAttribute(name, value, loading);
    }
}

// Where the control sits and how big it is.
bool SWindow::ApplyLayoutAttribute(std::string_view name, std::string_view value) {
    if (name == "pos") {
        position_ = LayoutPosition::Parse(value);
    } else if (name == "offset") {
        offset_ = LayoutOffset::Parse(value);
    } else if (name == "size") {
        const auto comma = value.find(',');
        if (comma != std::string_view::npos) {
            fixedWidth_ = std::clamp(ParseIntOr(value.substr(0, comma), 0), 0, 100000);
            fixedHeight_ = std::clamp(ParseIntOr(value.substr(comma + 1), 0), 0, 100000);
        }
    } else if (name == "width") {
        fixedWidth_ = std::clamp(ParseIntOr(value, 0), 0, 100000);
    } else if (name == "height") {
        fixedHeight_ = std::clamp(ParseIntOr(value, 0), 0, 100000);
    } else if (name == "margin") {
        if (auto margin = ParseMargin(value)) margin_ = *margin;
    } else if (name == "marginX") {
        margin_.left = margin_.right = std::clamp(ParseIntOr(value, 0), 0, 1000);
    } else if (name == "marginY") {
        margin_.top = margin_.bottom = std::clamp(ParseIntOr(value, 0), 0, 1000);
    } else {
        return false;
    }
    return true;
}

// How the control is drawn: colours, skin, font and text placement.
bool SWindow::ApplyLookAttribute(std::string_view name, std::string_view value) {
    const auto color = [&](std::optional<Color>& target) {
        target = Color::Parse(value);
        return true;
    };
    if (name == "colorText") return color(colorText_);
    if (name == "colorTextDisable") return color(colorTextDisabled_);
    if (name == "colorTextHover") return color(colorTextHover_);
    if (name == "colorBkgnd") return color(colorBackground_);
    if (name == "colorBorder") return color(colorBorder_);
    if (name == "skin") {
        skinName_ = std::string(value);
    } else if (name == "font") {
        font_.MergeFrom(FontSpec::Parse(value));
    } else if (name == "textMode" || name == "align") {
        if (auto mode = ParseInteger(value)) textMode_ = static_cast<std::uint32_t>(*mode);
    } else if (name == "cursor") {
        cursor_ = std::string(value);
    } else {
        return false;
    }
    return true;
}

bool SWindow::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (ApplyLayoutAttribute(name, value) || ApplyLookAttribute(name, value)) return true;
    if (name == "name") {
        name_ = std::string(value);
    } else if (name == "id") {
        id_ = ParseIntOr(value, 0);
    } else if (name == "text") {
        SetWindowText(Utf8ToUtf16(value));
    } else if (name == "tip") {
        tip_ = Utf8ToUtf16(value);
    } else if (name == "show" || name == "visible") {
        SetVisible(ParseBoolOr(value, visible_));
    } else if (name == "enable") {
        EnableWindow(ParseBoolOr(value, enabled_));
    } else if (name == "class") {
        ApplyClass(std::string(value), loading);
    } else if (name == "focusable") {
        focusable_ = ParseBoolOr(value, focusable_);
    } else if (name == "msgTransparent") {
        msgTransparent_ = ParseBoolOr(value, msgTransparent_);
    } else {
        return false;
    }
    return true;
}

// ---- Text and state ----

void SWindow::SetWindowText(const std::u16string& text) {
    const bool changed = text_ != text;
    text_ = text;
    RequestLayout();
    Invalidate();
    if (changed) NotifyAccessible(*this, AccessibleEvent::NameChange);
}

bool SWindow::IsVisible(bool checkParents) const {
    if (!visible_) return false;
    return !checkParents || parent_ == nullptr || parent_->IsVisible(true);
}

void SWindow::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!visible) {
        if (SHostWnd* host = GetHost()) {
            // Hidden controls keep neither the focus nor the mouse.
            for (SWindow* w = host->GetFocus(); w != nullptr; w = w->parent_) {
                if (w == this) {
                    host->SetFocus(nullptr);
                    break;
                }
            }
        }
    }
    RequestLayout();
    Invalidate();
    NotifyAccessible(*this, visible ? AccessibleEvent::Show : AccessibleEvent::Hide);
}

bool SWindow::IsDisabled(bool checkParents) const {
    if (!enabled_) return true;
    return checkParents && parent_ != nullptr && parent_->IsDisabled(true);
}

void SWindow::EnableWindow(bool enable) {
    if (enabled_ == enable) return;
    enabled_ = enable;
    if (!enable) {
        pushed_ = false;
        if (SHostWnd* host = GetHost(); host != nullptr && host->GetFocus() == this) host->SetFocus(nullptr);
    }
    Invalidate();
    NotifyAccessible(*this, AccessibleEvent::StateChange);
}

bool SWindow::IsFocused() const {
    const SHostWnd* host = GetHost();
    return host != nullptr && host->GetFocus() == this;
}

void SWindow::SetFocus() {
    if (SHostWnd* host = GetHost()) host->SetFocus(this);
}

void SWindow::SetCheck(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    Invalidate();
    NotifyAccessible(*this, AccessibleEvent::StateChange);
}

// ---- Geometry ----

platform::Rect SWindow::GetWindowRect() const {
    if (SHostWnd* host = GetHost()) host->EnsureLayout();
    return rect_;
}

platform::Rect SWindow::GetClientRect() const { return Deflate(GetWindowRect(), margin_); }

platform::Size SWindow::GetDesiredSize(int widthHint) const {
    platform::Size size{0, 0};
    if (!text_.empty()) {
        size = MeasureText(text_);
        size.width += margin_.left + margin_.right;
        size.height += margin_.top + margin_.bottom;
    }
    if (const Skin* skin = GetSkin()) {
        const platform::Size natural = skin->StateSize();
        size.width = std::max(size.width, natural.width);
        size.height = std::max(size.height, natural.height);
    }
    (void)widthHint;
    return size;
}

void SWindow::UpdateLayout(const platform::Rect& parentClient, const std::optional<platform::Rect>& previous) {
    const auto desired = [&](int widthHint) {
        platform::Size size = GetDesiredSize(widthHint);
        if (fixedWidth_) size.width = *fixedWidth_;
        if (fixedHeight_) size.height = *fixedHeight_;
        return size;
    };
    if (position_) {
        rect_ = position_->Compute(parentClient, previous, desired);
    } else if (fixedWidth_ || fixedHeight_) {
        const platform::Size size = desired(-1);
        rect_ = {parentClient.left, parentClient.top, parentClient.left + size.width, parentClient.top + size.height};
    } else {
        rect_ = parentClient;
    }
    if (offset_) {
        const int dx = static_cast<int>(offset_->x * rect_.Width());
        const int dy = static_cast<int>(offset_->y * rect_.Height());
        rect_ = {rect_.left + dx, rect_.top + dy, rect_.right + dx, rect_.bottom + dy};
    }
    LayoutChildren();
}

void SWindow::LayoutChildren() {
    const platform::Rect area = ChildLayoutRect();
    std::optional<platform::Rect> previous;
    for (const auto& child : children_) {
        child->UpdateLayout(area, previous);
        if (child->visible_) previous = child->rect_;
    }
}

std::optional<AccessibleRole> SWindow::GetAccessibleRole() const {
    // A plain window with the hand cursor is a link the layout drew itself.
    if (std::string_view(GetObjectClass()) == kClassName && GetCursor() == "hand") return AccessibleRole::Link;
    return std::nullopt;
}

SWindow* SWindow::HitTest(platform::Point point) {
    if (!visible_ || !rect_.Contains(point)) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (SWindow* hit = (*it)->HitTest(point)) return hit;
    }
    return msgTransparent_ ? nullptr : this;
}

void SWindow::RequestLayout() {
    if (SHostWnd* host = GetHost()) host->RequestLayout();
}

void SWindow::Invalidate() {
    if (SHostWnd* host = GetHost()) host->Invalidate(rect_);
}

// ---- Style ----

Color SWindow::GetTextColor() const {
    if (IsDisabled(true) && colorTextDisabled_) return *colorTextDisabled_;
    if (hovered_ && colorTextHover_) return *colorTextHover_;
    for (const SWindow* w = this; w != nullptr; w = w->parent_) {
        if (w->colorText_) return *w->colorText_;
    }
    return Color{0, 0, 0, 255};
}

Font SWindow::GetFont() const {
    Font base;
    if (const auto* application = SApplication::Instance()) base = application->Definitions().DefaultFont();
    return font_.Resolve(base);
}

const Skin* SWindow::GetSkin() const { return skinName_.empty() ? nullptr : FindSkin(skinName_); }

const Skin* SWindow::FindSkin(std::string_view name) const {
    const auto* application = SApplication::Instance();
    return application == nullptr ? nullptr : application->Definitions().FindSkin(name);
}

Backend* SWindow::GetBackend() const {
    const auto* application = SApplication::Instance();
    return application == nullptr ? nullptr : &application->GetBackend();
}

platform::Size SWindow::MeasureText(const std::u16string& text) const {
    Backend* backend = GetBackend();
    return backend == nullptr ? platform::Size{} : backend->MeasureText(GetFont(), text);
}

int SWindow::VisualState() const {
    if (IsDisabled(true)) return 3;
    if (pushed_) return 2;
    if (hovered_) return 1;
    return 0;
}

// ---- Input ----

void SWindow::OnLButtonDown(platform::Point point) {
    if (IsFocusable()) SetFocus();
    pushed_ = true;
    if (SHostWnd* host = GetHost()) host->SetCapture(this);
    Invalidate();
    EventLButtonDown event(point);
    FireEvent(event);
}

void SWindow::OnLButtonUp(platform::Point point) {
    const bool wasPushed = pushed_;
    pushed_ = false;
    if (SHostWnd* host = GetHost(); host != nullptr && host->GetCapture() == this) host->ReleaseCapture();
    Invalidate();
    if (wasPushed && rect_.Contains(point) && !IsDisabled(true)) OnClick();
}

void SWindow::OnMouseMove(platform::Point) {}

void SWindow::OnMouseEnter() {
    hovered_ = true;
    Invalidate();
}

void SWindow::OnMouseLeave() {
    hovered_ = false;
    Invalidate();
}

void SWindow::OnMouseWheel(int delta) {
    if (parent_ != nullptr) parent_->OnMouseWheel(delta);
}

bool SWindow::OnKeyDown(std::uint32_t, std::uint32_t) { return false; }
bool SWindow::OnKeyUp(std::uint32_t, std::uint32_t) { return false; }
bool SWindow::OnSysKeyDown(std::uint32_t, std::uint32_t) { return false; }
bool SWindow::OnSysKeyUp(std::uint32_t, std::uint32_t) { return false; }
bool SWindow::OnChar(char16_t) { return false; }
void SWindow::OnSetFocus() { Invalidate(); }
void SWindow::OnKillFocus() { Invalidate(); }

void SWindow::OnClick() { FireCommand(); }

// ---- Events ----

bool SWindow::FireEvent(EventArgs& event) {
    event.sender = this;
    event.nameFrom = name_;
    event.idFrom = id_;
    if (SHostWnd* host = GetHost()) host->OnFireEvent(event);
    return event.handled;
}

bool SWindow::FireCommand() {
    EventCmd event;
    return FireEvent(event);
}

// ---- Painting ----

void SWindow::Paint(Surface& surface) {
    if (visible_) PaintHidden(surface);
}

void SWindow::PaintHidden(Surface& surface) {
    OnPaint(surface);
    PaintChildren(surface);
}

void SWindow::PaintChildren(Surface& surface) {
    if (children_.empty()) return;
    surface.PushClip(GetClientRect());
    for (const auto& child : children_) child->Paint(surface);
    surface.PopClip();
}

void SWindow::OnPaint(Surface& surface) {
    const platform::Rect rect = GetWindowRect();
    if (colorBackground_) surface.FillRect(rect, *colorBackground_);
    if (const Skin* skin = GetSkin()) {
        // A skin without a state for the control's look shows its first one.
        const int state = VisualState();
        surface.DrawSkin(rect, *skin, state < skin->states ? state : 0, 255);
    }
    if (colorBorder_) surface.FrameRect(rect, *colorBorder_, std::max(1, margin_.left));
    PaintContent(surface);
}

void SWindow::PaintContent(Surface& surface) {
    if (!text_.empty()) surface.DrawText(GetClientRect(), text_, GetFont(), GetTextColor(), textMode_);
}

// ---- Life cycle ----

bool SWindow::ReadLayoutChildren(const LayoutElement&) { return false; }

void SWindow::NotifyDestroy() {
    for (const auto& child : children_) child->NotifyDestroy();
    OnDestroy();
}

}  // namespace zintra::ui
