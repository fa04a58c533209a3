#include "app/Program.h"

#include "app/HiddenHost.h"
#include "platform/Platform.h"

namespace zintra {

int RunProgram(std::u16string_view) {
    platform::Platform& platform = platform::Current();
    HiddenHost host(platform);
    if (!host.Create()) return 0;
    return platform.GetWindowSystem().RunMessageLoop();
}

}  // namespace zintra
