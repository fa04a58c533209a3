#include "online/TransferSink.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace zintra {

namespace {

// One lock for every sink of every transfer, held only while bytes are
// appended. It is never destroyed: a report thread may still be receiving
// while the process exits.
std::mutex& SinkLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::size_t AppendToMemory(TransferSink& sink, const char* data, std::size_t bytes, std::size_t itemCount) {
    const auto length = static_cast<std::size_t>(sink.length);
    if (bytes > kMaxReplyBytes - length) return 0;
    const std::size_t needed = length + bytes + 1;
    if (needed > sink.capacity) {
        // Doubling keeps a reply of many small chunks linear in its size.
        const std::size_t capacity = std::min(std::max(needed, sink.capacity * 2), kMaxReplyBytes + 1);
        auto* grown = static_cast<char*>(std::realloc(sink.buffer, capacity));
        // Out of memory: the reply would be missing a piece, so the transfer fails.
        if (grown == nullptr) return 0;
        sink.buffer = grown;
        sink.capacity = capacity;
    }
    std::memcpy(sink.buffer + length, data, bytes);
    sink.buffer[length + bytes] = '\0';
    sink.length = static_cast<std::int32_t>(length + bytes);
    return itemCount;
}

}  // namespace

void TransferSink::Clear() {
    std::free(buffer);
    buffer = nullptr;
    length = 0;
    toFile = false;
    file = nullptr;
    capacity = 0;
    fileRoom = UINT64_MAX;
    overflowed = false;
}

std::size_t AppendToSink(char* data, std::size_t itemSize, std::size_t itemCount, void* sink) {
    std::lock_guard<std::mutex> guard(SinkLock());
    if (itemCount == 0 || sink == nullptr) return 0;
    auto& target = *static_cast<TransferSink*>(sink);
    if (target.toFile && target.file != nullptr) {
        if (itemSize == 0 || itemCount > target.fileRoom / itemSize) {
            target.overflowed = true;
            return 0;
        }
        const std::size_t written = std::fwrite(data, itemSize, itemCount, target.file);
        target.fileRoom -= written * itemSize;
        return written;
    }
    if (itemSize == 0 || itemCount > kMaxReplyBytes / itemSize) return 0;
    return AppendToMemory(target, data, itemSize * itemCount, itemCount);
}

}  // namespace zintra
