#include "ui/controls/STabPage.h"

#include "base/TextUtil.h"

namespace zintra::ui {

bool STabPage::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "title") {
        title_ = Utf8ToUtf16(value);
        return true;
    }
    return SWindow::ApplyAttribute(name, value, loading);
}

}  // namespace zintra::ui
