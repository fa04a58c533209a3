// Where there is no debugger channel (Linux) the toolkit's messages go to
// standard error.
#include <cstdio>

#include "ui/core/Log.h"

namespace zintra::ui {

void WriteDebugOutput(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace zintra::ui
