#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "platform/linux/LinuxPlatform.h"

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
        auto first = std::make_unique<LinuxPlatform>();
        EXPECT_TRUE(first->CreateSingleInstanceMutex(name));
        LinuxPlatform second;
        EXPECT_FALSE(second.CreateSingleInstanceMutex(name));
        EXPECT_TRUE(second.CreateSingleInstanceMutex(u"another program"));
        first.reset();  // the first instance ends
        LinuxPlatform third;
        EXPECT_TRUE(third.CreateSingleInstanceMutex(name));
    }
    if (previous != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    fs::remove_all(runtime);
}

}  // namespace
}  // namespace zintra::platform::linux_x11
