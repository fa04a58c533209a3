// One page of a tab control ("page"): a title for its tab and any controls.
#pragma once

#include "ui/core/SWindow.h"

namespace zintra::ui {

class STabPage : public SWindow {
    ZUI_CLASS_NAME(SWindow, "page")
public:
    const std::u16string& GetTitle() const { return title_; }

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

private:
    std::u16string title_;
};

}  // namespace zintra::ui
