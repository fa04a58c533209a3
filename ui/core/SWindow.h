// The base of every control: a node of a host window's control tree with a
// name, an id, a style, a position, text and state. Controls have no native
// window of their own; the host routes input to them and paints them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>


#include "platform/Types.h"
#include "ui/core/Accessible.h"
#include "ui/core/ChildLookup.h"
#include "ui/render/Color.h"
#include "ui/core/Events.h"
#include "ui/render/Font.h"
#include "ui/core/LayoutPosition.h"

namespace zintra::ui {

class Backend;
class SHostWnd;
struct LayoutElement;
class Surface;
struct Skin;

// Declares a control class's layout tag and makes IsClass follow the bases.
#define ZUI_CLASS_NAME(Base, tag)                                                       \
public:                                                                                 \
    static constexpr const char* kClassName = tag;                                      \
    const char* GetObjectClass() const override { return kClassName; }                  \
    bool IsClass(std::string_view className) const override {                           \
        return className == kClassName || Base::IsClass(className);                     \
    }

class SWindow : public ChildLookup<SWindow> {
public:
    static constexpr const char* kClassName = "window";

    SWindow();
    virtual ~SWindow();
    SWindow(const SWindow&) = delete;
    SWindow& operator=(const SWindow&) = delete;

    // The layout tag of the control's class, and whether it is (or derives
    // from) the class of another tag.
    virtual const char* GetObjectClass() const { return kClassName; }
    virtual bool IsClass(std::string_view className) const { return className == kClassName; }

    // ---- Tree ----
    SWindow* GetParent() const { return parent_; }
    SHostWnd* GetHost() const;
    SWindow* InsertChild(std::unique_ptr<SWindow> child);
    const std::vector<std::unique_ptr<SWindow>>& GetChildren() const { return children_; }
    // Searches the descendants (depth -1: all levels, 1: children only).
    SWindow* FindChildByName(std::string_view name, int depth = -1) const;
    SWindow* FindChildByID(int id, int depth = -1) const;
    // FindChildByName2/FindChildByID2 (ChildLookup): the same, of a given class.

    const std::string& GetName() const { return name_; }
    int GetID() const { return id_; }
    void SetID(int id) { id_ = id; }
    // A number no other control of this process has had (accessibility names
    // nodes by it).
    std::uint32_t GetUniqueId() const { return uniqueId_; }

    // ---- Attributes: the same effect at run time as written in the layout ----
    // "@string/..." and "@color/..." values are looked up first. Returns
    // whether the control knew the attribute (unknown ones are still kept).
    bool SetAttribute(std::string_view name, std::string_view value, bool loading = false);
    std::optional<std::string> GetAttribute(std::string_view name) const;

    // ---- Text and state ----
    const std::u16string& GetWindowText() const { return text_; }
    virtual void SetWindowText(const std::u16string& text);
    const std::u16string& GetToolTipText() const { return tip_; }
    // The tip for the pointer at `point` (a tab control has one per tab).
    virtual std::u16string ToolTipAt(platform::Point) const { return tip_; }
    const std::string& GetCursor() const { return cursor_; }

    // Hidden or disabled ancestors hide or disable their descendants.
    bool IsVisible(bool checkParents = true) const;
    void SetVisible(bool visible);
    bool IsDisabled(bool checkParents = true) const;
    void EnableWindow(bool enable);
    virtual bool IsFocusable() const { return focusable_; }
    bool IsFocused() const;
    void SetFocus();
    bool IsChecked() const { return checked_; }
    virtual void SetCheck(bool checked);
    bool IsPushed() const { return pushed_; }

    // ---- Geometry (host client coordinates) ----
    platform::Rect GetWindowRect() const;
    platform::Rect GetClientRect() const;
    virtual platform::Size GetDesiredSize(int widthHint) const;
    // Places this control inside its parent's client area, then its children.
    void UpdateLayout(const platform::Rect& parentClient, const std::optional<platform::Rect>& previous);
    // The deepest visible control under the point, this one included, or null.
    virtual SWindow* HitTest(platform::Point point);
    void RequestLayout();
    void Invalidate();

    // ---- Style ----
    Color GetTextColor() const;
    Font GetFont() const;
    const Skin* GetSkin() const;

    // ---- Input (the host calls these) ----
    virtual void OnLButtonDown(platform::Point point);
    virtual void OnLButtonUp(platform::Point point);
    virtual void OnMouseMove(platform::Point point);
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseWheel(int delta);
    // Keys return whether the control used them.
    virtual bool OnKeyDown(std::uint32_t virtualKey, std::uint32_t flags);
    virtual bool OnKeyUp(std::uint32_t virtualKey, std::uint32_t flags);
    virtual bool OnSysKeyDown(std::uint32_t virtualKey, std::uint32_t flags);
    virtual bool OnSysKeyUp(std::uint32_t virtualKey, std::uint32_t flags);
    virtual bool OnChar(char16_t character);
    virtual void OnSetFocus();
    virtual void OnKillFocus();
    // A complete click (press and release on the control); raises EventCmd.
    virtual void OnClick();

    // ---- Events ----
    // Stamps the source's name and id and hands the event to the host window.
    bool FireEvent(EventArgs& event);
    bool FireCommand();

    // ---- Painting ----
    void Paint(Surface& surface);
    // Paints the control although it is hidden: a tab page sliding out.
    void PaintHidden(Surface& surface);

    // ---- What the keyboard and assistive technology ask (ui/core/Accessible.h,
    // KeyboardNavigation.h); each control answers for its own kind ----
    // The role a screen reader announces; none for containers and decoration,
    // whose children take their place.
    virtual std::optional<AccessibleRole> GetAccessibleRole() const;
    // What a reader reads beside the name: a field's text, a bar's percentage.
    virtual std::optional<std::u16string> GetAccessibleValue() const { return std::nullopt; }
    // Entries a reader sees as children of the control (a list's items, a
    // tab list's pages), the selected one (-1 for none), where one is (host
    // client coordinates), and choosing one as the user would.
    virtual int GetAccessibleItemCount() const { return 0; }
    virtual std::u16string GetAccessibleItemName(int) const { return {}; }
    virtual int GetAccessibleSelection() const { return -1; }
    virtual platform::Rect GetAccessibleItemRect(int) const { return GetWindowRect(); }
    // Entries shown outside the host window (a drop-down's rows) answer in
    // screen pixels instead: their row while the list is open, an empty
    // rectangle while it is closed or the row is scrolled away.
    virtual std::optional<platform::Rect> GetAccessibleItemScreenRect(int) const { return std::nullopt; }
    virtual bool SelectAccessibleItem(int) { return false; }
    // Opens the control's drop-down list; false when it has none.
    virtual bool OpenDropDown() { return false; }
    // The group of a radio button (arrows move within it, Tab stops once in
    // it); none for other controls.
    virtual std::optional<std::string> GetRadioGroup() const { return std::nullopt; }

    // ---- Animation (the host runs the steps, see SHostWnd::StartAnimation) ----
    // One step; returns false once the animation has ended.
    virtual bool OnAnimationStep() { return false; }
    // Jumps to the end at once (input arrived, or the window goes away).
    virtual void FinishAnimation() {}

    // ---- Life cycle ----
    // A control that reads its own child elements (items, styles) returns
    // true; otherwise they become child controls.
    virtual bool ReadLayoutChildren(const LayoutElement& element);
    // The control and its children have been created from the layout.
    virtual void OnInitFinished() {}
    // The host releases the tree (children are told first).
    virtual void OnDestroy() {}
    void NotifyDestroy();
    void AttachHost(SHostWnd* host) { host_ = host; }

protected:
    virtual bool ApplyAttribute(std::string_view name, std::string_view value, bool loading);
    // Background, skin and border; then the content.
    virtual void OnPaint(Surface& surface);
    virtual void PaintContent(Surface& surface);
    // The children, clipped to the client area.
    virtual void PaintChildren(Surface& surface);
    // The rectangle the children are laid out in (client area by default).
    virtual platform::Rect ChildLayoutRect() const { return GetClientRect(); }
    virtual void LayoutChildren();
    // 0 normal, 1 hover, 2 pushed, 3 disabled.
    int VisualState() const;
    Backend* GetBackend() const;
    const Skin* FindSkin(std::string_view name) const;
    platform::Size MeasureText(const std::u16string& text) const;
    void SetTextMode(std::uint32_t mode) { textMode_ = mode; }
    void SetFocusable(bool focusable) { focusable_ = focusable; }
    void SetPushed(bool pushed) { pushed_ = pushed; }

    std::u16string text_;

private:
    bool ApplyLayoutAttribute(std::string_view name, std::string_view value);
    bool ApplyLookAttribute(std::string_view name, std::string_view value);
    void ApplyClass(const std::string& className, bool loading);
    const SWindow* Root() const;

    SWindow* parent_ = nullptr;
    SHostWnd* host_ = nullptr;  // set on the root only
    std::vector<std::unique_ptr<SWindow>> children_;
    std::map<std::string, std::string, std::less<>> attributes_;

    std::string name_;
    int id_ = 0;
    std::uint32_t uniqueId_;
    std::u16string tip_;
    std::string className_;
    std::string cursor_;
    std::string skinName_;
    bool visible_ = true;
    bool enabled_ = true;
    bool focusable_ = false;
    bool checked_ = false;
    bool hovered_ = false;
    bool pushed_ = false;
    bool msgTransparent_ = false;

    std::optional<Color> colorText_;
    std::optional<Color> colorTextDisabled_;
    std::optional<Color> colorTextHover_;
    std::optional<Color> colorBackground_;
    std::optional<Color> colorBorder_;
    FontSpec font_;
    std::uint32_t textMode_ = 0x24;  // single line, vertically centred
    platform::Rect margin_;

    std::optional<LayoutPosition> position_;
    std::optional<LayoutOffset> offset_;
    std::optional<int> fixedWidth_;
    std::optional<int> fixedHeight_;
    platform::Rect rect_;

    friend class SHostWnd;
};

}  // namespace zintra::ui
