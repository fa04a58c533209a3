#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/linux/LinuxProcess.h"

namespace zintra::platform::linux_x11 {
namespace {

namespace fs = std::filesystem;

TEST(SingleInstanceLock, IsHeldUntilTheHolderEndsAndLivesInTheRuntimeFolder) {
    const fs::path runtime = fs::temp_directory_path() / ("zintra-runtime-" + std::to_string(::getpid()));
    fs::create_directories(runtime);
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::u16string name = u"{21087290-410E-487B-9C9A-1389B134A79E}";
    EXPECT_EQ(fs::path(SingleInstanceLockPath(name)).parent_path(), runtime);
    {
        auto first = std::make_unique<LinuxProcess>();
        EXPECT_TRUE(first->CreateSingleInstanceMutex(name));
        LinuxProcess second;
        EXPECT_FALSE(second.CreateSingleInstanceMutex(name));
        EXPECT_TRUE(second.CreateSingleInstanceMutex(u"another program"));
        first.reset();  // the first instance ends
        LinuxProcess third;
        EXPECT_TRUE(third.CreateSingleInstanceMutex(name));
    }
    if (previous != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    fs::remove_all(runtime);
}


// The fallback place for the lock, in the shared temporary folder, with the
// environment of a session without a runtime folder; undone at the end.
class SharedTemporaryLock : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox_ = fs::temp_directory_path() / ("zintra-lock-test-" + std::to_string(::getpid()));
        fs::remove_all(sandbox_);
        fs::create_directories(sandbox_ / "tmp");
        fs::permissions(sandbox_ / "tmp", fs::perms::all | fs::perms::sticky_bit);
        Save("XDG_RUNTIME_DIR", nullptr);
        Save("TMPDIR", (sandbox_ / "tmp").c_str());
        Save("XDG_CACHE_HOME", (sandbox_ / "cache").c_str());
        private_ = sandbox_ / "tmp" / ("zintra-" + std::to_string(::getuid()));
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1); else ::unsetenv(name.c_str());
        }
        fs::remove_all(sandbox_);
    }
    void Save(const std::string& name, const char* value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        if (value != nullptr) ::setenv(name.c_str(), value, 1); else ::unsetenv(name.c_str());
    }
    // The lock of `name` holds against a second instance wherever it went.
    static void ExpectSingleInstance(const std::u16string& name) {
        LinuxProcess first;
        EXPECT_TRUE(first.CreateSingleInstanceMutex(name));
        LinuxProcess second;
        EXPECT_FALSE(second.CreateSingleInstanceMutex(name));
    }

    fs::path sandbox_;
    fs::path private_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(SharedTemporaryLock, LivesInAPrivateFolderOfTheUsersMadeOwnerOnly) {
    const std::u16string name = u"{21087290-410E-487B-9C9A-1389B134A79E}";
    EXPECT_EQ(fs::path(SingleInstanceLockPath(name)).parent_path(), private_);
    ExpectSingleInstance(name);
    struct stat info {};
    ASSERT_EQ(::lstat(private_.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(fs::exists(SingleInstanceLockPath(name)));
}

TEST_F(SharedTemporaryLock, AFolderOthersMayWriteToOrALinkInItsPlaceIsRefused) {
    EXPECT_TRUE(EnsurePrivateFolder(private_.string()));
    fs::permissions(private_, fs::perms::owner_all | fs::perms::group_all);
    EXPECT_FALSE(EnsurePrivateFolder(private_.string())) << "group-writable";
    fs::remove(private_);
    fs::create_directories(sandbox_ / "elsewhere");
    fs::permissions(sandbox_ / "elsewhere", fs::perms::owner_all);
    fs::create_directory_symlink(sandbox_ / "elsewhere", private_);
    EXPECT_FALSE(EnsurePrivateFolder(private_.string())) << "a link, even to a folder of ours";
}

TEST_F(SharedTemporaryLock, APlantedFolderGoesToTheCacheFolderAndItsTargetStaysUntouched) {
    const std::u16string name = u"planted";
    fs::create_directories(sandbox_ / "victim");
    fs::create_directory_symlink(sandbox_ / "victim", private_);
    ExpectSingleInstance(name);
    EXPECT_TRUE(fs::is_empty(sandbox_ / "victim"));
    EXPECT_TRUE(fs::exists(sandbox_ / "cache" / "zintra" / "zintra-planted.lock"));
}

TEST_F(SharedTemporaryLock, ALinkAtTheLockIsNeverFollowed) {
    const std::u16string name = u"linked";
    ASSERT_TRUE(EnsurePrivateFolder(private_.string()));
    { std::ofstream(sandbox_ / "victim.txt") << "keep"; }
    fs::create_symlink(sandbox_ / "victim.txt", SingleInstanceLockPath(name));
    fs::create_symlink(sandbox_ / "created-by-us", SingleInstanceLockPath(u"dangling"));
    ExpectSingleInstance(name);
    ExpectSingleInstance(u"dangling");
    std::ifstream victim(sandbox_ / "victim.txt");
    std::string text;
    victim >> text;
    EXPECT_EQ(text, "keep");
    EXPECT_FALSE(fs::exists(sandbox_ / "created-by-us")) << "a dangling link made us create its target";
}

TEST_F(SharedTemporaryLock, AFolderOfAnotherUserIsRefused) {
    if (::getuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    fs::create_directories(private_);
    fs::permissions(private_, fs::perms::owner_all);
    ASSERT_EQ(::chown(private_.c_str(), 12345, 12345), 0);
    EXPECT_FALSE(EnsurePrivateFolder(private_.string()));
    ExpectSingleInstance(u"owned");
    EXPECT_TRUE(fs::is_empty(private_));
}

}  // namespace
}  // namespace zintra::platform::linux_x11
