#include "ui/core/Log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace zintra::ui {

namespace {
std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}
LogSink& Sink() {
    static LogSink sink;
    return sink;
}
}  // namespace

void SetLogSink(LogSink sink) {
    std::lock_guard<std::mutex> guard(SinkLock());
    Sink() = std::move(sink);
}

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string message;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        message.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(args);

    LogSink sink;
    {
        std::lock_guard<std::mutex> guard(SinkLock());
        sink = Sink();
    }
    if (sink) {
        sink(message);
    } else {
        WriteDebugOutput(message);
    }
}

}  // namespace zintra::ui
