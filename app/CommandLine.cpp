#include "app/CommandLine.h"

#include <algorithm>

#include "online/ReportSwitch.h"

#if !defined(ZINTRA_VERSION_TEXT)
#error "ZINTRA_VERSION_TEXT comes from app/CMakeLists.txt"
#endif

namespace zintra {

namespace {

const LongOption* FindLongOption(std::string_view word) {
    for (const LongOption& option : kLongOptions) {
        if (option.name == word) return &option;
    }
    return nullptr;
}

int StoreSwitch(const LongOptionContext& context, bool on) {
    if (!StoreReportsSwitch(context.store(), on)) {
        std::fputs("zintra：无法写入设置，使用统计的开关未改变\n", context.err);
        return 1;
    }
    std::fputs(on ? "zintra：已重新允许发送使用统计\n" : "zintra：已关闭使用统计，不会再发送\n", context.out);
    return 0;
}

int TellInstance(const LongOptionContext& context, LongOptionAction action) {
    switch (context.tellInstance(action)) {
        case InstanceAnswer::Done: return 0;
        case InstanceAnswer::NotRunning:
            std::fputs("zintra：Zintra 没有在运行，命令没有执行\n", context.err);
            return kNotRunningExitCode;
        case InstanceAnswer::NoAnswer: break;
    }
    std::fputs("zintra：正在运行的 Zintra 没有回应，命令没有执行\n", context.err);
    return 1;
}

int Run(const LongOption& option, const LongOptionContext& context) {
    switch (option.action) {
        case LongOptionAction::Help: std::fputs(HelpText().c_str(), context.out); return 0;
        case LongOptionAction::Version: std::fputs((VersionText() + "\n").c_str(), context.out); return 0;
        case LongOptionAction::ReportsOff: return StoreSwitch(context, false);
        case LongOptionAction::ReportsOn: return StoreSwitch(context, true);
        case LongOptionAction::Toggle:
        case LongOptionAction::Start:
        case LongOptionAction::Stop: return TellInstance(context, option.action);
    }
    return 0;
}

}  // namespace

std::string VersionText() { return std::string("Zintra ") + ZINTRA_VERSION_TEXT; }

std::string HelpText() {
    std::string text =
        "用法：zintra [选项]\n"
        "Zintra 鼠标连点器：按下热键（默认 F8）后在指针处或固定位置自动点击，再按一次停止。\n"
        "\n"
        "选项：\n"
        "  -auto           启动时不显示主窗口，热键照常可用\n";
    for (const LongOption& option : kLongOptions) {
        std::string name(option.name);
        name.resize(std::max<std::size_t>(name.size() + 1, 16), ' ');
        text += "  " + name + std::string(option.help) + "\n";
    }
    text +=
        "\n"
        "--toggle、--start 和 --stop 交给正在运行的 Zintra 执行，可以设为桌面快捷键；\n"
        "Zintra 没有在运行时，它们显示一行提示并以退出码 " + std::to_string(kNotRunningExitCode) + " 结束。\n"
        "\n"
        "每天第一次启动时，程序会把加密的使用统计（渠道号、版本、网卡地址、时间）\n"
        "发送到统计服务器；用 --no-reports 或环境变量 DO_NOT_TRACK=1 关闭。\n";
    return text;
}

std::optional<int> RunLongOptions(const std::vector<std::string>& arguments, const LongOptionContext& context) {
    const LongOption* chosen = nullptr;
    for (const std::string& word : arguments) {
        if (word.size() <= 2 || word.compare(0, 2, "--") != 0) continue;
        const LongOption* option = FindLongOption(word);
        if (option == nullptr) {
            std::fprintf(context.err, "zintra：未知选项 %s（zintra --help 列出全部选项）\n", word.c_str());
        } else if (chosen == nullptr) {
            chosen = option;
        }
    }
    if (chosen == nullptr) return std::nullopt;
    return Run(*chosen, context);
}

}  // namespace zintra
