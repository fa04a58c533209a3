#include "ui/controls/SComboBoxEx.h"

#include "ui/core/SApplication.h"
#include "ui/controls/SListBoxEx.h"

namespace zintra::ui {

std::unique_ptr<SListBox> SComboBoxEx::CreateListBox() {
    if (const auto* application = SApplication::Instance()) {
        auto created = application->CreateWindowByTag(SListBoxEx::kClassName);
        if (auto* list = dynamic_cast<SListBox*>(created.get())) {
            created.release();
            return std::unique_ptr<SListBox>(list);
        }
    }
    return std::make_unique<SListBoxEx>();
}

}  // namespace zintra::ui
