// The download of one file into the user's private download folder,
// resumable across runs: a sidecar file beside the download records the
// server's validators, so a later run continues only a file this program
// wrote and the server still offers unchanged. Progress goes to a callback
// (the update window posts it to itself as UM_DOWNLOAD_PROGRESS).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "online/DownloadState.h"
#include "platform/Platform.h"

namespace zintra {

// Receives the percentage (1..100) of the current request, on the downloading
// thread.
using DownloadProgress = std::function<void(std::int32_t percent)>;

// `path` in: the directory to download into, ending in a separator, or empty
// for the private download folder; out: the downloaded file's full path, set
// as soon as the name is known. True when the whole file is on disk: a
// complete transfer of a successful answer, or a file that an earlier run
// completed (the server answers 416 to the rest). HTTP errors, redirects that
// lead nowhere and transfers that stall fail. Blocking; runs on a worker thread.
bool HttpDownload(platform::Platform& platform, const std::string& url, std::string& path,
                  const DownloadProgress& progress);

// What a request for the headers alone (redirects followed) says of a file.
struct RemoteFile {
    ResumeRecord record;   // the validators and length of the final answer
    std::string finalUrl;  // where the redirects led
};
// Nothing when the server cannot be reached or announces an empty file.
std::optional<RemoteFile> ProbeRemoteFile(const std::string& url);

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
