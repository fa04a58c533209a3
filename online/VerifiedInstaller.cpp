#include "online/VerifiedInstaller.h"

#include <vector>

#include "online/Crypto.h"
#include "online/HttpDownload.h"
#include "online/Md5.h"

namespace zintra {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

bool CopyBytes(std::FILE* from, std::FILE* to) {
    std::vector<char> block(kBlockBytes);
    std::size_t read;
    while ((read = std::fread(block.data(), 1, block.size(), from)) > 0) {
        if (std::fwrite(block.data(), 1, read, to) != read) return false;
    }
    return std::ferror(from) == 0;
}

}  // namespace

std::string InstallerCopyPath(const std::string& downloadPath) {
    const auto slash = downloadPath.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return downloadPath.substr(0, nameStart) + "verified-" + downloadPath.substr(nameStart);
}

bool DiscardDownload(const std::string& downloadPath) {
    const bool copyGone = RemoveDownloadEntry(InstallerCopyPath(downloadPath));
    const bool sidecarGone = RemoveDownloadEntry(SidecarPath(downloadPath));
    return RemoveDownloadEntry(downloadPath) && sidecarGone && copyGone;
}

std::optional<VerifiedInstaller> VerifiedInstaller::Copy(const std::string& downloadPath) {
    DownloadFile source = DownloadFile::OpenOwn(downloadPath, false);
    const std::string path = InstallerCopyPath(downloadPath);
    if (!source || !RemoveDownloadEntry(path)) return std::nullopt;
    DownloadFile copy = DownloadFile::CreateNew(path);
    if (!copy) return std::nullopt;
    VerifiedInstaller installer(path, std::move(copy));
    if (!CopyBytes(source.Stream(), installer.file_.Stream()) || !installer.file_.Seal(path) ||
        !installer.ComputeDigests()) {
        installer.file_.Close();
        RemoveDownloadEntry(path);
        return std::nullopt;
    }
    return std::optional<VerifiedInstaller>(std::move(installer));
}

bool VerifiedInstaller::ComputeDigests() {
    Md5 md5;
    Sha256 sha256;
    std::vector<char> block(kBlockBytes);
    std::size_t read;
    while ((read = std::fread(block.data(), 1, block.size(), file_.Stream())) > 0) {
        md5.Update(block.data(), read);
        sha256.Update(block.data(), read);
    }
    const auto sha256Digest = sha256.Final();
    if (std::ferror(file_.Stream()) != 0 || !sha256Digest) return false;
    md5_ = Md5::Hex(md5.Final());
    sha256_ = Sha256Hex(*sha256Digest);
    return true;
}

}  // namespace zintra
