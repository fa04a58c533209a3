// A web link ("link"): text with a hand cursor; a click raises EventCmd and,
// unless the window handled it, opens the link's href.
#pragma once

#include "ui/controls/SStatic.h"

namespace zintra::ui {

class SLink : public SStatic {
    ZUI_CLASS_NAME(SStatic, "link")
public:
    SLink();
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    const std::u16string& GetHref() const { return href_; }
    void OnClick() override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;

private:
    std::u16string href_;
    bool underline_ = false;
};

}  // namespace zintra::ui
