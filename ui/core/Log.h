// The toolkit's one diagnostic channel. Failed control look-ups are reported
// here; tests install a sink to capture the messages.
#pragma once

#include <functional>
#include <string>

namespace zintra::ui {

using LogSink = std::function<void(const std::string& message)>;

// Replaces the sink; an empty sink sends messages to the debugger output.
void SetLogSink(LogSink sink);

// printf-style formatting into one message.
void Log(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Where messages go when no sink is installed (debugger output on Windows,
// standard error elsewhere).
void WriteDebugOutput(const std::string& message);

}  // namespace zintra::ui
