#include "ui/controls/SButton.h"

#include "ui/render/Surface.h"

namespace zintra::ui {

SButton::SButton() {
    SetTextMode(text_mode::kSingleLine | text_mode::kCenter | text_mode::kVCenter);
}

std::optional<AccessibleRole> SButton::GetAccessibleRole() const { return AccessibleRole::PushButton; }

}  // namespace zintra::ui
