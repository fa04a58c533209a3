// What the program records about itself at start: the installer's /setup and
// /unsetup runs, and the first start of each local day. Each sends one usage
// report; /setup and the daily record also note the day in lastRunTime.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace zintra {

// Flags are found anywhere in the command line, letter case significant.
bool HasFlag(std::u16string_view commandLine, std::u16string_view flag);

// Today's local midnight as seconds since 1970, in decimal: the lastRunTime text.
std::u16string LocalMidnightText(platform::Platform& platform);

// With "/setup" (checked first) or "/unsetup" in the command line, records the
// event, reports it and returns the exit code; otherwise returns nothing.
std::optional<int> RunInstallerHook(platform::Platform& platform, std::u16string_view commandLine);

// The daily record: replaces lastRunTime when it is not today's and then
// reports the day's first start. Blocking; the program runs it on a thread.
void RecordDailyRun(platform::Platform& platform);

// Runs work beside the user interface; the program never waits for it.
using BackgroundRunner = std::function<void(std::function<void()>)>;
void RunOnDetachedThread(std::function<void()> work);

}  // namespace zintra
