#include "ui/BuiltinControls.h"

#include "ui/SApplication.h"
#include "ui/SButton.h"
#include "ui/SCaption.h"
#include "ui/SCheckBox.h"
#include "ui/SComboBox.h"
#include "ui/SEdit.h"
#include "ui/SHotKeyCtrl.h"
#include "ui/SImageButton.h"
#include "ui/SImageWnd.h"
#include "ui/SLink.h"
#include "ui/SListBox.h"
#include "ui/SProgress.h"
#include "ui/SRadioBox.h"
#include "ui/SScrollView.h"
#include "ui/SStatic.h"
#include "ui/STabCtrl.h"
#include "ui/STabPage.h"

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
