#include "online/HttpDownload.h"

#include <cmath>
#include <cstdio>

#include "online/CurlEasy.h"
#include "online/DownloadFile.h"
#include "online/DownloadLimit.h"
#include "online/TransferSink.h"

namespace zintra {

namespace {

// More header text than any real answer has is not kept.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
// A sidecar is a few short lines; more is not one of ours.
constexpr std::size_t kMaxSidecarBytes = 4096;

// The header lines of the latest answer: each status line starts a new block,
// so after redirects only the final answer's headers remain.
std::size_t CollectHeader(char* data, std::size_t itemSize, std::size_t itemCount, void* target) {
    auto& headers = *static_cast<std::string*>(target);
    const std::string_view line(data, itemSize * itemCount);
    if (line.substr(0, 5) == "HTTP/") headers.clear();
    if (headers.size() + line.size() <= kMaxHeaderBytes) headers.append(line);
    return itemSize * itemCount;
}

// libcurl's largest receive buffer (512 KiB): on a fast link each read takes
// what the socket holds, so a megabyte costs a few calls instead of sixty-four.
constexpr long kDownloadBufferBytes = 512 * 1024;

// The file a transfer writes to, and what the answer's first bytes decided.
struct DownloadWriter {
    DownloadFile& file;
    TransferSink sink;
    std::string headers;
    std::uint64_t offset = 0;  // bytes on disk when the request went out
    std::optional<BodyPlan> plan;

    DownloadWriter(DownloadFile& target, std::uint64_t onDisk)
        : file(target), sink(target.Stream()), offset(onDisk) {}

    // Decides once, before the first byte of the final answer is kept.
    bool Decide() {
        if (plan) return *plan != BodyPlan::Refuse;
        plan = PlanBody(StatusOfHeaders(headers), headers, offset);
        if (*plan == BodyPlan::Restart && offset > 0) {
            // The server sent the whole file: it replaces what was there.
            if (!file.Truncate(0)) plan = BodyPlan::Refuse;
            offset = 0;
            sink.fileRoom = kMaxDownloadBytes;
        }
        return *plan != BodyPlan::Refuse;
    }
};

std::size_t WriteDownload(char* data, std::size_t itemSize, std::size_t itemCount, void* target) {
    auto& writer = *static_cast<DownloadWriter*>(target);
    if (!writer.Decide()) return 0;
    return AppendToSink(data, itemSize, itemCount, &writer.sink);
}

void SetDownloadProgress(CurlEasy& easy, DownloadProgressRecord& progress) {
    easy.SetNoProgress(false);
    easy.SetProgressFunction(&ReportDownloadProgress);
    easy.SetProgressData(&progress);
}

std::optional<ResumeRecord> ReadSidecar(const std::string& path) {
    DownloadFile file = DownloadFile::OpenOwn(path, false);
    if (!file) return std::nullopt;
    char text[kMaxSidecarBytes];
    const std::size_t length = std::fread(text, 1, sizeof(text), file.Stream());
    if (length == sizeof(text)) return std::nullopt;
    return ParseSidecar(std::string_view(text, length));
}

// Replaces whatever has the sidecar's name (a planted link included) with a
// new file of this run.
bool WriteSidecar(const std::string& path, const ResumeRecord& record) {
    if (!RemoveDownloadEntry(path)) return false;
    DownloadFile file = DownloadFile::CreateNew(path);
    if (!file) return false;
    const std::string text = FormatSidecar(record);
    const bool written = std::fwrite(text.data(), 1, text.size(), file.Stream()) == text.size();
    return file.Close() && written;
}

// The partial file of an earlier run when its sidecar says it may be
// continued (`offset` its size), else a new empty file of this run.
DownloadFile OpenForDownload(const std::string& target, const ResumeRecord& server, std::uint64_t& offset) {
    offset = 0;
    if (const auto stored = ReadSidecar(SidecarPath(target))) {
        DownloadFile partial = DownloadFile::OpenOwn(target, true);
        const std::int64_t size = partial ? partial.Size() : -1;
        if (size >= 0 && MayResume(*stored, server, static_cast<std::uint64_t>(size)) &&
            std::fseek(partial.Stream(), 0, SEEK_END) == 0) {
            offset = static_cast<std::uint64_t>(size);
            return partial;
        }
    }
    // Whatever has the name is not a download of ours to continue.
    if (!RemoveDownloadEntry(target)) return DownloadFile();
    return DownloadFile::CreateNew(target);
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

std::optional<RemoteFile> ProbeRemoteFile(const std::string& url) {
    std::string headers;
    CurlEasy easy;
    easy.SetUrl(url);
    easy.SetNoBody(true);
    easy.SetFollowLocation(true);
    easy.SetHeaderFunction(&CollectHeader);
    easy.SetHeaderData(&headers);
    if (!easy.Perform()) return std::nullopt;
    // An announced empty file is no installer; an unknown length (-1) goes on.
    if (easy.ContentLengthDownload() == 0) return std::nullopt;
    return RemoteFile{ServerRecord(headers), easy.EffectiveUrl()};
}

namespace {

enum class Transferred { Whole, Partial, Worthless };

// One ranged GET into `file`, redirects followed by libcurl's rules: only the
// body of the final, successful answer reaches the file.
Transferred Transfer(const std::string& url, DownloadFile& file, std::uint64_t offset, const ResumeRecord& record,
                     const DownloadProgress& report, std::string& finalUrl) {
    CurlEasy easy;
    if (!easy) return Transferred::Partial;
    std::setvbuf(file.Stream(), nullptr, _IONBF, 0);  // libcurl's blocks go straight to the file
    char range[32];
    std::snprintf(range, sizeof(range), "%llu-", static_cast<unsigned long long>(offset));
    DownloadWriter writer(file, offset);
    DownloadProgressRecord progress{&report};
    easy.SetUrl(url);
    easy.SetRange(range);
    easy.SetFollowLocation(true);  // every kind of redirect, by libcurl's rules
    easy.SetFailOnError(true);
    easy.SetHeaderFunction(&CollectHeader);
    easy.SetHeaderData(&writer.headers);
    easy.SetWriteFunction(&WriteDownload);
    easy.SetWriteData(&writer);
    easy.SetBufferSize(kDownloadBufferBytes);
    SetDownloadProgress(easy, progress);
    LimitDownload(easy, writer.sink, static_cast<long>(offset));

    const bool performed = easy.Perform();
    finalUrl = easy.EffectiveUrl();
    if (performed) return writer.Decide() ? Transferred::Whole : Transferred::Partial;
    if (easy.FailedOnHttpError() && StatusOfHeaders(writer.headers) == 416) {
        // Nothing left to send: whole when the file has the length the server gives it.
        return RangeAnswerMeansComplete(writer.headers, record, offset) ? Transferred::Whole
                                                                        : Transferred::Worthless;
    }
    return StoppedAtDownloadLimit(easy, writer.sink) ? Transferred::Worthless : Transferred::Partial;
}

// The file and its sidecar under the name the final address gives.
bool MoveToFinalName(const std::string& target, const std::string& finalPath) {
    if (finalPath == target) return true;
    return MoveDownloadEntry(target, finalPath) && MoveDownloadEntry(SidecarPath(target), SidecarPath(finalPath));
}

}  // namespace

bool HttpDownload(platform::Platform& platform, const std::string& url, std::string& path,
                  const DownloadProgress& report) {
    if (url.empty()) return false;
    const std::string directory = path.empty() ? platform.GetSystem().TemporaryDirectory() : path;
    const auto name = DownloadFileName(url);
    if (directory.empty() || !name) return false;
    path = directory + *name;

    const auto remote = ProbeRemoteFile(url);
    if (!remote) return false;
    // Named after where the redirects lead, so a later run finds the same file.
    const auto finalName = DownloadFileName(remote->finalUrl);
    if (!finalName) return false;
    const std::string target = directory + *finalName;
    path = target;

    std::uint64_t offset = 0;
    DownloadFile file = OpenForDownload(target, remote->record, offset);
    if (!file || !WriteSidecar(SidecarPath(target), remote->record)) return false;
    std::string finalUrl;
    const Transferred result = Transfer(url, file, offset, remote->record, report, finalUrl);
    const bool closed = file.Close();
    if (result == Transferred::Worthless) {
        // Neither continued nor kept: the next attempt starts afresh.
        RemoveDownloadEntry(SidecarPath(target));
        RemoveDownloadEntry(target);
        return false;
    }
    if (result != Transferred::Whole || !closed) return false;

    // The download's own redirects may lead elsewhere than the probe's did.
    const auto transferredName = DownloadFileName(finalUrl);
    if (!transferredName) return false;
    const std::string finalPath = directory + *transferredName;
    if (!MoveToFinalName(target, finalPath)) return false;
    path = finalPath;
    return true;
}

}  // namespace zintra
