#include "app/Program.h"

#include "app/HiddenHost.h"
#include "platform/Platform.h"

namespace zintra {

int RunProgram(std::u16string_view) {
    platform::Platform& platform = platform::Current();
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
