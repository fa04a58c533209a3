// The installer as it is handed on: a copy this run makes of the download in
// the same private folder, its digests computed over the copy's own open
// file, which stays open and read-only until the installer has started. What
// starts is what was checked, whatever happens to the download's name.
#pragma once

#include <optional>
#include <string>

#include "online/DownloadFile.h"

namespace zintra {

class VerifiedInstaller {
public:
    // Nothing when the download is not the user's own plain file or the copy
    // cannot be made; no copy is left behind then.
    static std::optional<VerifiedInstaller> Copy(const std::string& downloadPath);

    // Whether the copy has the published digests (SHA-256 only when one is published).
    bool Matches(const std::string& md5, const std::string& sha256) const {
        return md5_ == md5 && (sha256.empty() || sha256_ == sha256);
    }
    const std::string& Path() const { return path_; }

private:
    VerifiedInstaller(std::string path, DownloadFile file) : path_(std::move(path)), file_(std::move(file)) {}
    bool ComputeDigests();

    std::string path_;
    DownloadFile file_;
    std::string md5_;
    std::string sha256_;
};

// Where the copy of a download goes: "verified-" before the file's name.
std::string InstallerCopyPath(const std::string& downloadPath);

// Removes a download that failed its check, its sidecar and its copy, so a
// retry starts afresh; false when any of them stays.
bool DiscardDownload(const std::string& downloadPath);

}  // namespace zintra
