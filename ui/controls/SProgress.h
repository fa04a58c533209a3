// A progress bar ("progress") with a range and a value kept inside it.
#pragma once

#include "ui/core/SWindow.h"

namespace zintra::ui {

class SProgress : public SWindow {
    ZUI_CLASS_NAME(SWindow, "progress")
public:
    int GetValue() const { return value_; }
    void SetValue(int value);
    void SetRange(int minimum, int maximum);
    int GetMinimum() const { return minimum_; }
    int GetMaximum() const { return maximum_; }
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    // The position as a percentage of the range, as "42%".
    std::optional<std::u16string> GetAccessibleValue() const override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
    Color bar_{0x00, 0x9A, 0x9A, 255};
};

}  // namespace zintra::ui
