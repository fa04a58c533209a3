// A single-line edit ("edit"): caret, typing, digits-only with number="1",
// a grey cue text while empty, and EN_CHANGE through EventRENotify when
// notifyChange="1".
#pragma once

#include <cstddef>

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SEdit : public SWindow {
    ZUI_CLASS_NAME(SWindow, "edit")
public:
    SEdit();
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    std::optional<std::u16string> GetAccessibleValue() const override;

    void SetWindowText(const std::u16string& text) override;
    bool IsNumberOnly() const { return numberOnly_; }
    const std::u16string& GetCueText() const { return cueText_; }
    platform::Size GetDesiredSize(int widthHint) const override;

    bool OnKeyDown(std::uint32_t virtualKey, std::uint32_t flags) override;
    bool OnChar(char16_t character) override;
    void OnSetFocus() override;
    void OnKillFocus() override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;

private:
    void Insert(char16_t character);
    void EraseAt(std::size_t index);
    void TextChanged();
    void UpdateCaret();

    bool numberOnly_ = false;
    bool notifyChange_ = false;
    bool readOnly_ = false;
    std::size_t maxLength_ = 0x7FFE;
    std::u16string cueText_;
    std::size_t caret_ = 0;
};

}  // namespace zintra::ui
