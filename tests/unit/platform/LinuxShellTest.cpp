#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/linux/LinuxShell.h"

namespace zintra::platform::linux_x11 {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A PATH with a stand-in opener that takes its time and then records what it
// was asked to open.
class DesktopOpener : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zintra-opener-" + std::to_string(::getpid()));
        fs::create_directories(folder_ / "bin");
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        ::setenv("PATH", (folder_ / "bin").c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", savedPath_.c_str(), 1);
        fs::remove_all(folder_);
    }
    void InstallOpener(int seconds) {
        const fs::path opener = folder_ / "bin" / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\n/bin/sleep " << seconds << "\nprintf '%s' \"$1\" > '"
                              << (folder_ / "opened").string() << ".part'\n/bin/mv '" << (folder_ / "opened").string()
                              << ".part' '" << (folder_ / "opened").string() << "'\n";
        fs::permissions(opener, fs::perms::owner_all);
    }
    std::optional<std::string> Opened(std::chrono::seconds patience) {
        const auto until = Clock::now() + patience;
        while (Clock::now() < until) {
            if (fs::exists(folder_ / "opened")) {
                std::ifstream file(folder_ / "opened");
                return std::string(std::istreambuf_iterator<char>(file), {});
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return std::nullopt;
    }

    fs::path folder_;
    std::string savedPath_;
    LinuxShell shell_{nullptr};
};

TEST_F(DesktopOpener, ASlowOpenerNeverHoldsUpTheCallerYetGetsTheAddress) {
    InstallOpener(4);
    const auto start = Clock::now();
    EXPECT_TRUE(shell_.OpenUrl(u"https://example.org/help?a=1&b=2"));
    // Generous: the opener alone takes 4 s.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(Opened(std::chrono::seconds(30)), "https://example.org/help?a=1&b=2");
}

TEST_F(DesktopOpener, AMissingOpenerIsAFailureForLinksAndInstallers) {
    EXPECT_FALSE(shell_.OpenUrl(u"https://example.org/"));
    const fs::path package = folder_ / "zintra.deb";
    std::ofstream(package) << "package";
    EXPECT_EQ(shell_.StartInstaller(package.string()), 2);
}

TEST_F(DesktopOpener, InstallersStartWithoutWaitingAndOnlyWebAddressesOpen) {
    InstallOpener(4);
    const fs::path package = folder_ / "zintra.deb";
    std::ofstream(package) << "package";
    EXPECT_FALSE(shell_.OpenUrl(u"file:///etc/passwd"));
    EXPECT_FALSE(shell_.OpenUrl(u"-h"));
    const auto start = Clock::now();
    EXPECT_GT(shell_.StartInstaller(package.string()), 32);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(Opened(std::chrono::seconds(30)), package.string());
}

}  // namespace
}  // namespace zintra::platform::linux_x11
