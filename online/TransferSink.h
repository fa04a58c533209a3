// Where the bytes of one transfer go: a growing zero-terminated buffer in
// memory, or a file opened for appending. AppendToSink is libcurl's write
// function for every transfer; all sinks share one process-wide lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace zintra {

// A reply held in memory never grows past this; a larger one fails its
// transfer rather than exhausting memory.
inline constexpr std::size_t kMaxReplyBytes = 16 * 1024 * 1024;

// No downloaded file grows past this, far above any real installer, whatever
// a server sends: an endless stream must not fill the user's disk.
inline constexpr std::uint64_t kMaxDownloadBytes = 256ull * 1024 * 1024;

struct TransferSink {
    // Received bytes followed by one zero byte; none until the first chunk.
    char* buffer = nullptr;
    // Bytes received, the zero byte not counted.
    std::int32_t length = 0;
    // With a file open, bytes go to the file and the buffer stays untouched.
    bool toFile = false;
    // Not owned: whoever opened the stream closes it.
    std::FILE* file = nullptr;
    // Bytes allocated for buffer, so appends can grow it geometrically.
    std::size_t capacity = 0;
    // A file sink takes at most this many more bytes; a chunk that would pass
    // it is refused whole, which fails the transfer, and marks the sink.
    std::uint64_t fileRoom = UINT64_MAX;
    bool overflowed = false;

    TransferSink() = default;
    explicit TransferSink(std::FILE* stream) : toFile(true), file(stream) {}
    ~TransferSink() { Clear(); }
    TransferSink(const TransferSink&) = delete;
    TransferSink& operator=(const TransferSink&) = delete;

    // Releases the buffer and returns to an empty memory sink.
    void Clear();
    // The received bytes (empty before the first chunk).
    std::string_view Text() const { return buffer != nullptr ? std::string_view(buffer, length) : std::string_view(); }
};

// libcurl's write function. Returns the number of items taken; anything less
// than itemCount makes libcurl fail the transfer.
std::size_t AppendToSink(char* data, std::size_t itemSize, std::size_t itemCount, void* sink);

}  // namespace zintra
