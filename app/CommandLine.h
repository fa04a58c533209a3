// The Linux program's long options (--help, --version, the report switch):
// one table holds each option's name, what it does and its line of help.
// Those that end the program run before any display, store or lock is touched.
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

enum class LongOptionAction { Help, Version, ReportsOff, ReportsOn };

struct LongOption {
    std::string_view name;  // with its two dashes
    LongOptionAction action;
    std::string_view help;  // its line in --help
};

inline constexpr LongOption kLongOptions[] = {
    {"--no-reports", LongOptionAction::ReportsOff, "不再发送使用统计（记在设置里，一直有效）后退出"},
    {"--reports", LongOptionAction::ReportsOn, "重新允许发送使用统计后退出"},
    {"--help", LongOptionAction::Help, "显示本帮助后退出"},
    {"--version", LongOptionAction::Version, "显示名称和版本后退出"},
};

// Where the options write and where the store is, opened only when an option needs it.
struct LongOptionContext {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::function<platform::Registry&()> store;
};

// Reports each unknown "--word" on `err`; runs the first known option among
// `arguments` (those after the program's name) and returns its exit code, or
// nothing when the program is to start.
std::optional<int> RunLongOptions(const std::vector<std::string>& arguments, const LongOptionContext& context);

// "zintra 1.0.0.1"-style: the name and the version this program was built as.
std::string VersionText();
std::string HelpText();

}  // namespace zintra
