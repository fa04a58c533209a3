#include "online/DownloadLimit.h"

namespace zintra {

void LimitDownload(CurlEasy& easy, TransferSink& sink, long offset) {
    const auto onDisk = static_cast<std::uint64_t>(offset > 0 ? offset : 0);
    sink.fileRoom = onDisk < kMaxDownloadBytes ? kMaxDownloadBytes - onDisk : 0;
    sink.overflowed = false;
    // A reply announcing more than fits fails before its first byte; 0 would mean no limit to libcurl.
    easy.SetMaxFileSize(sink.fileRoom > 0 ? sink.fileRoom : 1);
}

bool StoppedAtDownloadLimit(const CurlEasy& easy, const TransferSink& sink) {
    return sink.overflowed || easy.ExceededMaxFileSize();
}

}  // namespace zintra
