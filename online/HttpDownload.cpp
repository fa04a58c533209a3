#include "online/HttpDownload.h"

#include <cmath>
#include <cstdio>

#include "online/CurlEasy.h"
#include "online/DownloadLimit.h"
#include "online/TransferSink.h"
#include "platform/Messages.h"

namespace zintra {

namespace {

constexpr char kSidecarSection[] = "list";
constexpr char kSidecarKey[] = "Modified";
constexpr char kLastModified[] = "Last-Modified: ";
constexpr long kStatusFound = 302;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The value of the Last-Modified header in a block of response headers.
std::optional<std::string> LastModifiedValue(std::string_view headers) {
    const auto start = headers.find(kLastModified);
    if (start == std::string_view::npos) return std::nullopt;
    std::string_view line = headers.substr(start);
    if (const auto end = line.find("\r\n"); end != std::string_view::npos) line = line.substr(0, end);
    const auto blank = line.find(' ');
    return std::string(line.substr(blank + 1));
}

// A redirect's announced length is that of its own (often empty) body, not the file's.
bool IsRedirect(long status) { return status >= 300 && status < 400; }

// libcurl's largest receive buffer (512 KiB): on a fast link each read takes
// what the socket holds, so a megabyte costs a few calls instead of sixty-four.
constexpr long kDownloadBufferBytes = 512 * 1024;

void SetDownloadWriting(CurlEasy& easy, TransferSink& sink) {
    easy.SetWriteFunction(&AppendToSink);
    easy.SetWriteData(&sink);
    easy.SetBufferSize(kDownloadBufferBytes);
}

void SetDownloadProgress(CurlEasy& easy, DownloadProgressRecord& progress) {
    easy.SetNoProgress(false);
    easy.SetProgressFunction(&ReportDownloadProgress);
    easy.SetProgressData(&progress);
}

}  // namespace

std::string SidecarPath(const std::string& path) { return path + ".cfg"; }

std::optional<std::string> DownloadFileName(std::string_view url) {
    if (const auto query = url.find('?'); query != std::string_view::npos && query > 0) url = url.substr(0, query);
    if (const auto slash = url.rfind('/'); slash != std::string_view::npos && slash > 0) url = url.substr(slash + 1);
    // A backslash or a drive colon would reach outside the directory on Windows.
    if (const auto separator = url.find_last_of("\\:"); separator != std::string_view::npos) {
        url = url.substr(separator + 1);
    }
    std::string name;
    for (char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) name += c;
    }
    // Windows drops trailing dots and blanks, which would turn ".." or ". ." into the parent.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) return std::nullopt;
    return name;
}

long FileSize(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::fclose(file);
    return size > 0 ? size : 0;
}

int ReportDownloadProgress(void* record, double downloadTotal, double downloadNow, double, double) {
    // An unknown total (0) gives no finite percentage: nothing to post.
    if (!(downloadTotal > 0) || !std::isfinite(downloadNow)) return 0;
    const double quotient = downloadNow / downloadTotal * 100;
    const int percent = quotient >= 100 ? 100 : quotient > 0 ? static_cast<int>(quotient) : 0;
    auto* progress = static_cast<DownloadProgressRecord*>(record);
    if (percent > 0 && progress != nullptr && progress->report != nullptr && *progress->report &&
        progress->ShouldPost(percent, std::chrono::steady_clock::now())) {
        (*progress->report)(percent);
    }
    return 0;
}

bool DownloadProgressRecord::ShouldPost(int percent, std::chrono::steady_clock::time_point now) {
    if (percent == lastPercent) return false;
    if (percent != 100 && lastPercent != 0 && now - lastPost < kProgressInterval) return false;
    lastPercent = percent;
    lastPost = now;
    return true;
}

bool ProbeRemoteFile(platform::Platform& platform, const std::string& filePath, const std::string& url) {
    platform::System& system = platform.GetSystem();
    const std::string sidecar = SidecarPath(filePath);
    const std::string stored = system.ReadProfileValue(kSidecarSection, kSidecarKey, "", sidecar);

    std::optional<std::string> current;
    {
        TransferSink headers;
        CurlEasy easy;
        easy.SetUrl(url);
        easy.SetHeader(true);
        easy.SetNoBody(true);
        easy.SetWriteFunction(&AppendToSink);
        easy.SetWriteData(&headers);
        if (easy.Perform()) {
            if (easy.ContentLengthDownload() == 0 && !IsRedirect(easy.ResponseCode())) return false;
            current = LastModifiedValue(headers.Text());
            if (current) system.WriteProfileValue(kSidecarSection, kSidecarKey, *current, sidecar);
        }
    }

    if (system.FileExists(filePath)) {
        // Without a stored date the file is an earlier, ended transfer: continue it.
        if (!current || (!stored.empty() && !EqualIgnoringCase(*current, stored))) system.RemoveFile(filePath);
    }
    return true;
}

bool HttpDownload(platform::Platform& platform, const std::string& url, std::string& path,
                  const DownloadProgress& report) {
    if (url.empty()) return false;
    platform::System& system = platform.GetSystem();
    const std::string directory = path.empty() ? system.TemporaryDirectory() : path;
    const auto name = DownloadFileName(url);
    if (!name) return false;
    const std::string target = directory + *name;
    path = target;

    if (!ProbeRemoteFile(platform, target, url)) return false;

    CurlEasy easy;
    if (!easy) return false;
    std::FILE* file = std::fopen(target.c_str(), "ab");
    if (file == nullptr) return false;
    std::setvbuf(file, nullptr, _IONBF, 0);  // libcurl's blocks go straight to the file
    const long offset = FileSize(target);
    char range[32];
    std::snprintf(range, sizeof(range), "%ld-", offset);

    TransferSink sink(file);
    DownloadProgressRecord progress{&report};
    SetDownloadWriting(easy, sink);
    easy.SetUrl(url);
    easy.SetRange(range);
    SetDownloadProgress(easy, progress);
    LimitDownload(easy, sink, offset);

    if (!easy.Perform()) {
        easy.Release();
        std::fclose(file);
        system.RemoveFile(SidecarPath(target));
        if (StoppedAtDownloadLimit(easy, sink)) system.RemoveFile(target);
        return false;
    }
    if (easy.ResponseCode() != kStatusFound) {
        easy.Release();
        std::fclose(file);
        system.RemoveFile(SidecarPath(target));
        return true;
    }

    // The redirect's own body is not part of the file: cut it off again.
    std::fclose(file);
    system.TruncateFile(target, offset);
    file = std::fopen(target.c_str(), "ab");
    if (file == nullptr) {
        system.RemoveFile(SidecarPath(target));
        return false;
    }
    sink.file = file;
    easy.SetFollowLocation(true);
    SetDownloadWriting(easy, sink);
    SetDownloadProgress(easy, progress);
    LimitDownload(easy, sink, offset);
    const bool followed = easy.Perform();
    const std::string effectiveUrl = easy.EffectiveUrl();
    easy.Release();
    std::fclose(file);
    if (!followed) {
        if (StoppedAtDownloadLimit(easy, sink)) system.RemoveFile(target);
        return false;
    }

    system.RemoveFile(SidecarPath(target));
    const auto finalName = DownloadFileName(effectiveUrl);
    if (!finalName) return false;
    const std::string finalPath = directory + *finalName;
    if (system.FileExists(finalPath) && finalPath != target) system.RemoveFile(finalPath);
    system.RenameFile(target, finalPath);
    path = finalPath;
    system.RemoveFile(SidecarPath(finalPath));
    return true;
}

}  // namespace zintra
