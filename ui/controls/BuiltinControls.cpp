#include "ui/controls/BuiltinControls.h"

#include "ui/core/SApplication.h"
#include "ui/controls/SButton.h"
#include "ui/controls/SCaption.h"
#include "ui/controls/SCheckBox.h"
#include "ui/controls/SComboBox.h"
#include "ui/controls/SEdit.h"
#include "ui/controls/SHotKeyCtrl.h"
#include "ui/controls/SImageButton.h"
#include "ui/controls/SImageWnd.h"
#include "ui/controls/SLink.h"
#include "ui/controls/SListBox.h"
#include "ui/controls/SProgress.h"
#include "ui/controls/SRadioBox.h"
#include "ui/controls/SScrollView.h"
#include "ui/controls/SStatic.h"
#include "ui/controls/STabCtrl.h"
#include "ui/controls/STabPage.h"

namespace zintra::ui {

// "comboboxex" and "listboxex" are left to the application, which registers
// SComboBoxEx and SListBoxEx (or its own classes) at start-up.
void RegisterBuiltinControls(SApplication& application) {
    application.RegisterWindowClass<SWindow>();
    application.RegisterWindowClass<SStatic>();
    application.RegisterWindowClass<SImageWnd>();
    application.RegisterWindowClass<SCaption>();
    application.RegisterWindowClass<SButton>();
    application.RegisterWindowClass<SImageButton>();
    application.RegisterWindowClass<SCheckBox>();
    application.RegisterWindowClass<SRadioBox>();
    application.RegisterWindowClass<SEdit>();
    application.RegisterWindowClass<SListBox>();
    application.RegisterWindowClass<SComboBox>();
    application.RegisterWindowClass<SProgress>();
    application.RegisterWindowClass<STabCtrl>();
    application.RegisterWindowClass<STabPage>();
    application.RegisterWindowClass<SScrollView>();
    application.RegisterWindowClass<SLink>();
    application.RegisterWindowClass<SHotKeyCtrl>();
}

}  // namespace zintra::ui
