#include "app/Program.h"

#include "app/HiddenHost.h"
#include "online/OnlineConfig.h"
#include "platform/Platform.h"

namespace zintra {

int RunProgram(std::u16string_view commandLine, const BackgroundRunner& background) {
    platform::Platform& platform = platform::Current();
    OnlineConfig::Instance();  // created before any other thread can ask for it
    if (auto exitCode = RunInstallerHook(platform, commandLine)) return *exitCode;

    // The daily record starts before the single-instance check, so a second
    // start runs it too; on the same day it finds nothing to do.
    background([&platform] { RecordDailyRun(platform); });

    auto& process = platform.GetProcess();
    // A second start ends silently; the running instance is not told.
    if (!process.CreateSingleInstanceMutex(kSingleInstanceMutex)) return 0;
    process.InitializeComponents();

    int exitCode = 0;
    {
        HiddenHost host(platform);
        if (host.Create()) exitCode = platform.GetWindowSystem().RunMessageLoop();
    }
    process.UninitializeComponents();
    return exitCode;
}

}  // namespace zintra
