// The Linux program's long options (--help, --version, the report switch, and
// the run commands --toggle, --start and --stop that a desktop shortcut can
// send to the running instance): one table holds each option's name, what it
// does and its line of help. All of them end the program and run before any
// display, store or lock is touched.
// The program's own flags (-auto, /setup, /unsetup) stay what they are: words
// searched for in the whole command line, whatever else it holds.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace zintra {

enum class LongOptionAction { Help, Version, ReportsOff, ReportsOn, Toggle, Start, Stop };

struct LongOption {
    std::string_view name;  // with its two dashes
    LongOptionAction action;
    std::string_view help;  // its line in --help
};

inline constexpr LongOption kLongOptions[] = {
    {"--no-reports", LongOptionAction::ReportsOff, "不再发送使用统计（记在设置里，一直有效）后退出"},
    {"--reports", LongOptionAction::ReportsOn, "重新允许发送使用统计后退出"},
    {"--toggle", LongOptionAction::Toggle, "开始或停止点击，和按一次热键一样（Zintra 须已在运行）"},
    {"--start", LongOptionAction::Start, "开始点击；已经在点击时什么也不做"},
    {"--stop", LongOptionAction::Stop, "停止点击；没有在点击时什么也不做"},
    {"--help", LongOptionAction::Help, "显示本帮助后退出"},
    {"--version", LongOptionAction::Version, "显示名称和版本后退出"},
};

// How the running instance took a run command.
enum class InstanceAnswer { Done, NotRunning, NoAnswer };

// The exit code of a run command when no instance runs.
inline constexpr int kNotRunningExitCode = 2;

// Where the options write, where the store is (opened only when an option
// needs it) and how a run command reaches the running instance.
struct LongOptionContext {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::function<platform::Registry&()> store;
    std::function<InstanceAnswer(LongOptionAction)> tellInstance;
};

// Reports each unknown "--word" on `err`; runs the first known option among
// `arguments` (those after the program's name) and returns its exit code, or
// nothing when the program is to start.
std::optional<int> RunLongOptions(const std::vector<std::string>& arguments, const LongOptionContext& context);

// "zintra 1.0.0.1"-style: the name and the version this program was built as.
std::string VersionText();
std::string HelpText();

}  // namespace zintra
