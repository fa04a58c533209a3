#include "ui/controls/SEdit.h"

#include <algorithm>

#include "platform/Messages.h"
#include "ui/core/Accessible.h"
#include "ui/core/Backend.h"
#include "ui/core/SHostWnd.h"
#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

SEdit::SEdit() {
    SetFocusable(true);
    SetAttribute("cursor", "ibeam", true);
}

void SEdit::SetWindowText(const std::u16string& text) {
    SWindow::SetWindowText(text.substr(0, maxLength_));
    caret_ = text_.size();
    // Filling the edit from code reports a change just as typing does.
    TextChanged();
}

platform::Size SEdit::GetDesiredSize(int) const {
    const platform::Size text = MeasureText(text_.empty() ? u"0" : text_);
    return {std::max(80, text.width + 8), std::max(22, text.height + 6)};
}

bool SEdit::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "text" && loading) {
        // The layout's text is the initial state, not a change.
        text_ = Utf8ToUtf16(value).substr(0, maxLength_);
        caret_ = text_.size();
        return true;
    }
    if (name == "number") {
        numberOnly_ = ParseBoolOr(value, numberOnly_);
    } else if (name == "notifyChange") {
        notifyChange_ = ParseBoolOr(value, notifyChange_);
    } else if (name == "readOnly") {
        readOnly_ = ParseBoolOr(value, readOnly_);
    } else if (name == "cueText") {
        cueText_ = Utf8ToUtf16(value);
    } else if (name == "maxLength") {
        maxLength_ = static_cast<std::size_t>(std::clamp(ParseIntOr(value, 0x7FFE), 0, 0x7FFE));
    } else {
        return SWindow::ApplyAttribute(name, value, loading);
    }
    return true;
}

bool SEdit::OnChar(char16_t character) {
    if (readOnly_) return true;
    if (character == u'\b') {
        caret_ = std::min(caret_, text_.size());
        if (caret_ > 0) {
            --caret_;
            EraseAt(caret_);
            TextChanged();
        }
        return true;
    }
    // Control characters (Enter, Escape, Tab) are not text.
    if (character < 0x20 || character == 0x7F) return false;
    // A digits-only edit refuses anything else, as ES_NUMBER does.
    if (numberOnly_ && (character < u'0' || character > u'9')) return true;
    if (text_.size() >= maxLength_) return true;
    Insert(character);
    TextChanged();
    return true;
}

bool SEdit::OnKeyDown(std::uint32_t virtualKey, std::uint32_t) {
    switch (virtualKey) {
        case msg::kVkLeft:
            if (caret_ > 0) --caret_;
            break;
        case msg::kVkRight:
            if (caret_ < text_.size()) ++caret_;
            break;
        case msg::kVkHome:
            caret_ = 0;
            break;
        case msg::kVkEnd:
            caret_ = text_.size();
            break;
        case msg::kVkDelete:
            if (!readOnly_ && caret_ < text_.size()) {
                EraseAt(caret_);
                TextChanged();
            }
            break;
        default:
            return false;
    }
    UpdateCaret();
    return true;
}

void SEdit::Insert(char16_t character) {
    caret_ = std::min(caret_, text_.size());
    text_.insert(text_.begin() + static_cast<std::ptrdiff_t>(caret_), character);
    ++caret_;
}

void SEdit::EraseAt(std::size_t index) {
    if (index < text_.size()) text_.erase(index, 1);
}

void SEdit::TextChanged() {
    Invalidate();
    UpdateCaret();
    NotifyAccessible(*this, AccessibleEvent::ValueChange);
    if (notifyChange_) {
        EventRENotify event(msg::kEnChange);
        FireEvent(event);
    }
}

void SEdit::UpdateCaret() {
    SHostWnd* host = GetHost();
    Backend* backend = GetBackend();
    if (host == nullptr || backend == nullptr || host->GetHwnd() == 0 || !IsFocused()) return;
    const platform::Rect client = GetClientRect();
    const int x = client.left + 3 + MeasureText(text_.substr(0, caret_)).width;
    const int height = std::max(1, MeasureText(u"0").height);
    const int top = client.top + (client.Height() - height) / 2;
    backend->ShowCaret(host->GetHwnd(), {x, top, x + 1, top + height});
}

void SEdit::OnSetFocus() {
    caret_ = text_.size();
    SWindow::OnSetFocus();
    UpdateCaret();
}

void SEdit::OnKillFocus() {
    SWindow::OnKillFocus();
    SHostWnd* host = GetHost();
    if (Backend* backend = GetBackend(); backend != nullptr && host != nullptr && host->GetHwnd() != 0) {
        backend->HideCaret(host->GetHwnd());
    }
}

void SEdit::PaintContent(Surface& surface) {
    platform::Rect client = GetClientRect();
    client.left += 3;
    const std::uint32_t mode = text_mode::kSingleLine | text_mode::kVCenter;
    if (text_.empty() && !IsFocused() && !cueText_.empty()) {
        surface.DrawText(client, cueText_, GetFont(), Color{0xA0, 0xA0, 0xA0, 255}, mode);
    } else {
        surface.DrawText(client, text_, GetFont(), GetTextColor(), mode);
    }
}

std::optional<AccessibleRole> SEdit::GetAccessibleRole() const { return AccessibleRole::EditableText; }

std::optional<std::u16string> SEdit::GetAccessibleValue() const { return GetWindowText(); }

}  // namespace zintra::ui
