#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace zintra::platform {

namespace {
Platform* current = nullptr;
}

Platform& Current() {
    if (current == nullptr) {
        std::fputs("zintra: no platform installed\n", stderr);
        std::abort();
    }
    return *current;
}

void SetCurrent(Platform* platform) { current = platform; }

}  // namespace zintra::platform
