#include "app/Program.h"

#include <memory>

#include "app/UpdateGate.h"
#include "mainwindow/CMainDlg.h"
#include "online/OnlineConfig.h"
#include "platform/AutoStart.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "res/ControlIds.h"
#include "res/ProgramResources.h"
#include "ui/controls/BuiltinControls.h"
#include "tray/SShellNotifyIcon.h"
#include "ui/core/SApplication.h"
#include "ui/controls/SComboBoxEx.h"
#include "ui/controls/SListBoxEx.h"

namespace zintra {

namespace {

// The steps every clicker start shares up to the single-instance lock.
// Returns the exit code when the start ends there.
std::optional<int> StartAsClicker(platform::Platform& platform, std::u16string_view commandLine,
                                  const BackgroundRunner& background) {
    OnlineConfig::Instance();  // created before any other thread can ask for it
    if (auto exitCode = RunInstallerHook(platform, commandLine)) return exitCode;

    // The daily record starts before the single-instance check, so a second
    // start runs it too; on the same day it finds nothing to do.
    background([&platform] { RecordDailyRun(platform); });

    // A second start ends; where the desktop's convention asks for it (Linux)
    // the running instance is told to show its window first.
    if (!platform.GetProcess().CreateSingleInstanceMutex(kSingleInstanceMutex)) {
        platform.GetProcess().AskRunningInstanceToShow(kSingleInstanceMutex);
        return 0;
    }
    // An autostart entry an older version wrote is brought up to date.
    if (platform::AutoStart* autoStart = platform.GetAutoStart()) {
        autoStart->Upgrade(platform.GetSystem().ExecutablePath());
    }
    return std::nullopt;
}

// The program's folder becomes the working directory.
void EnterProgramFolder(platform::Platform& platform) {
    std::u16string path = platform.GetSystem().ExecutablePath();
    const auto slash = path.find_last_of(u"\\/");
    if (slash == std::u16string::npos) return;
    path.resize(slash + 1);
    platform.GetProcess().SetCurrentDirectory(path);
}

}  // namespace

int RunProgram(std::u16string_view commandLine, ui::Backend& backend, const BackgroundRunner& background) {
    platform::Platform& platform = platform::Current();
    const bool startHidden = HasFlag(commandLine, u"-auto");
    if (auto exitCode = StartAsClicker(platform, commandLine, background)) return *exitCode;

    // The update server is asked now and answers while the toolkit starts;
    // the answer is looked at where the start has always looked at it.
    StartupUpdateCheck updateCheck(platform);
    updateCheck.Start();

    // COM starts once a window of the program is on screen: nothing before
    // needs it, and under Wine it costs the first window about 10 ms.
    auto& process = platform.GetProcess();
    bool componentsStarted = false;
    const auto startComponents = [&process, &componentsStarted] {
        if (componentsStarted) return;
        process.InitializeComponents();
        componentsStarted = true;
    };
    EnterProgramFolder(platform);

    int exitCode = 0;
    {
        ui::SApplication application(backend, u"ZUIHOST");
        ui::RegisterBuiltinControls(application);
        application.AddResProvider(CreateProgramResources());
        auto* definitions = application.AddResProvider(CreateProgramResources());
        application.SetNamedIds(ControlIdTable());
        application.LoadUiDefinitions("uidef:xml_init", definitions);
        application.RegisterWindowClass<SShellNotifyIcon>();
        application.RegisterWindowClass<ui::SComboBoxEx>();
        application.RegisterWindowClass<ui::SListBoxEx>();

        // The main window builds its layout while the update server answers;
        // it is set up and shown only once the answer lets the start go on.
        auto mainWindow = std::make_unique<CMainDlg>();
        // At start the program has no active window to own the main one.
        const bool created = mainWindow->Create(0, 0, 0, 0, 0) != 0;
        if (!updateCheck.EndsStart(startComponents) && created) {
            mainWindow->SendMessage(msg::kInitDialog, 0, 0);
            mainWindow->CenterWindow();
            mainWindow->ShowWindow(startHidden ? msg::kSwHide : msg::kSwShowNormal);
            startComponents();
            // The icon joins the notification area once the window is on screen:
            // the shell's answer takes a while and nothing on screen waits for it.
            mainWindow->EnterTray();
            process.AcceptShowRequests(mainWindow->GetHwnd(), msg::kShowMainWindow);
            updateCheck.ContinueBeside(mainWindow->GetHwnd());
            exitCode = application.Run(mainWindow->GetHwnd());
        }
        if (mainWindow->GetHwnd() != 0) mainWindow->DestroyWindow();
    }
    if (componentsStarted) process.UninitializeComponents();
    return exitCode;
}

}  // namespace zintra
