#include <gtest/gtest.h>

#include "app/Program.h"
#include "platform/sim/SimDesktop.h"

namespace zintra {
namespace {

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() { platform::SetCurrent(&desktop); }
    ~ProgramTest() override { platform::SetCurrent(nullptr); }
    sim::SimDesktop desktop;
};

TEST_F(ProgramTest, SecondStartEndsAtOnceWithoutTouchingAnything) {
    desktop.ProcessState().HoldMutex(kSingleInstanceMutex);
    EXPECT_EQ(RunProgram(u"", [](std::function<void()>) {}), 0);
    EXPECT_TRUE(desktop.HotkeyRegistrations().empty());
    EXPECT_FALSE(desktop.KeyExists(u"SOFTWARE\\ZintraMouse"));
    EXPECT_EQ(desktop.ProcessState().ComponentsDepth(), 0);
}

TEST_F(ProgramTest, FirstStartTakesTheLockAndReleasesComponentsAtTheEnd) {
    // The simulated loop returns as soon as nothing is queued.
    EXPECT_EQ(RunProgram(u"", [](std::function<void()>) {}), 0);
    EXPECT_TRUE(desktop.ProcessState().MutexHeld(kSingleInstanceMutex));
    EXPECT_EQ(desktop.ProcessState().ComponentsDepth(), 0);
}

}  // namespace
}  // namespace zintra
