#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/linux/DownloadFolder.h"

namespace zintra::platform::linux_x11 {
namespace {

namespace fs = std::filesystem;

class DownloadFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("zintra-folder-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        fs::permissions(root_, fs::perms::owner_all);
        for (const char* name : {"XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "HOME"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
        }
        fs::remove_all(root_);
    }
    static mode_t Mode(const fs::path& path) {
        struct stat info {};
        ::lstat(path.c_str(), &info);
        return info.st_mode & 07777;
    }
    fs::path root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(DownloadFolderTest, TheCacheFolderIsMadePrivateAndTheRuntimeFolderIsTheFallback) {
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    EXPECT_EQ(PrivateDownloadFolder(), (root_ / "home/.cache/zintra/downloads").string() + "/");
    EXPECT_EQ(Mode(root_ / "home/.cache/zintra/downloads"), 0700u);
    EXPECT_EQ(Mode(root_ / "home/.cache/zintra"), 0700u);

    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    fs::create_directories(root_ / "cache/zintra/downloads");
    fs::permissions(root_ / "cache/zintra/downloads", fs::perms::all);
    EXPECT_EQ(PrivateDownloadFolder(), (root_ / "cache/zintra/downloads").string() + "/");
    EXPECT_EQ(Mode(root_ / "cache/zintra/downloads"), 0700u) << "an own folder open to others is narrowed";

    // A cache reached through a link is refused; the runtime folder takes over.
    fs::create_directories(root_ / "elsewhere");
    fs::create_directory_symlink(root_ / "elsewhere", root_ / "linked");
    ::setenv("XDG_CACHE_HOME", (root_ / "linked").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
    EXPECT_EQ(PrivateDownloadFolder(), (root_ / "runtime/zintra-downloads").string() + "/");
    EXPECT_TRUE(fs::is_empty(root_ / "elsewhere")) << "nothing made behind the link";
    fs::create_directories(root_ / "elsewhere/zintra/downloads");
    fs::permissions(root_ / "elsewhere/zintra/downloads", fs::perms::owner_all);
    EXPECT_FALSE(IsPrivateFolder((root_ / "linked/zintra/downloads").string())) << "a link on the way";
    fs::create_directory_symlink(root_ / "elsewhere/zintra/downloads", root_ / "runtime/last");
    EXPECT_FALSE(IsPrivateFolder((root_ / "runtime/last").string())) << "the folder itself a link";
}

TEST_F(DownloadFolderTest, FoldersOthersControlAreRefused) {
    // A parent anybody may write in, without the sticky bit that keeps them to their own entries.
    fs::create_directories(root_ / "open");
    fs::permissions(root_ / "open", fs::perms::all);
    ::setenv("XDG_CACHE_HOME", (root_ / "open/cache").c_str(), 1);
    EXPECT_EQ(PrivateDownloadFolder(), "");
    EXPECT_TRUE(fs::is_empty(root_ / "open")) << "nothing made inside it";

    ::chmod((root_ / "open").c_str(), 01777);
    EXPECT_NE(PrivateDownloadFolder(), "") << "a sticky shared parent is fine";

    if (::geteuid() == 0) {
        fs::create_directories(root_ / "theirs/zintra/downloads");
        ASSERT_EQ(::chown((root_ / "theirs/zintra/downloads").c_str(), 4242, 4242), 0);
        ::setenv("XDG_CACHE_HOME", (root_ / "theirs").c_str(), 1);
        EXPECT_EQ(PrivateDownloadFolder(), "") << "a folder of another user";
        EXPECT_FALSE(IsPrivateFolder((root_ / "theirs/zintra/downloads").string()));
    }
}

}  // namespace
}  // namespace zintra::platform::linux_x11
