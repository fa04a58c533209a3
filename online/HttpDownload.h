// The download of one file into a directory, resumable across runs: a sidecar
// INI file beside a partial download remembers the server's Last-Modified
// date, so a later run continues the file when the server still has the same
// one. Progress goes to a callback (the update window posts it to itself as
// UM_DOWNLOAD_PROGRESS).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace zintra {

// `path` in: the directory to download into, ending in a separator, or empty
// for the temporary directory; out: the downloaded file's full path, set as
// soon as the name is known. True when the transfer completed at the transport
// level (an HTTP error page is saved like any other body). Blocking, with no
// time limit; runs on a worker thread.
// Receives the percentage (1..100) of the current request, on the downloading
// thread.
using DownloadProgress = std::function<void(std::int32_t percent)>;

bool HttpDownload(platform::Platform& platform, const std::string& url, std::string& path,
                  const DownloadProgress& progress);

// Decides whether a partial file may be continued: deletes it when the
// server's date changed or is unknown, and records the server's date in the
// sidecar. False only when the server announces an empty file.
bool ProbeRemoteFile(platform::Platform& platform, const std::string& filePath, const std::string& url);

// libcurl's progress function of a download: hands the percentage (1..100)
// of the current request to the record's callback. Never aborts the transfer.
struct DownloadProgressRecord {
    const DownloadProgress* report = nullptr;

    // At most five posts a second, each a new percentage; the first and the
    // 100 always go. libcurl calls many times a second with the same figures.
    static constexpr std::chrono::milliseconds kProgressInterval{200};
    bool ShouldPost(int percent, std::chrono::steady_clock::time_point now);
    int lastPercent = 0;
    std::chrono::steady_clock::time_point lastPost{};
};
int ReportDownloadProgress(void* record, double downloadTotal, double downloadNow, double uploadTotal,
                           double uploadNow);

// The size of a file, 0 when it cannot be opened.
long FileSize(const std::string& path);

// The INI file beside a download: the path with ".cfg" appended.
std::string SidecarPath(const std::string& path);

// The name a download is saved under: the URL's last path segment without its
// query, kept to a plain file name (no separators of either kind, no drive
// colon, no control characters, no "." or ".."). Nothing when no name is left.
std::optional<std::string> DownloadFileName(std::string_view url);

}  // namespace zintra
