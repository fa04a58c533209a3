// The long options' table and what each run command makes of the running
// instance's answer: its exit code and its line on stderr.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace zintra {
namespace {

// A FILE the test reads back.
class Captured {
public:
    Captured() : file_(std::tmpfile()) {}
    ~Captured() { std::fclose(file_); }
    std::FILE* File() { return file_; }
    std::string Text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        char buffer[256];
        while (const std::size_t got = std::fread(buffer, 1, sizeof(buffer), file_)) text.append(buffer, got);
        return text;
    }

private:
    std::FILE* file_;
};

class RunCommandOptions : public ::testing::Test {
protected:
    RunCommandOptions() {
        context.out = out.File();
        context.err = err.File();
        context.store = []() -> platform::Registry& { throw std::logic_error("a run command opened the store"); };
        context.tellInstance = [this](LongOptionAction action) {
            asked.push_back(action);
            return answer;
        };
    }
    std::optional<int> Run(std::vector<std::string> arguments) { return RunLongOptions(arguments, context); }

    Captured out, err;
    LongOptionContext context;
    std::vector<LongOptionAction> asked;
    InstanceAnswer answer = InstanceAnswer::Done;
};

TEST_F(RunCommandOptions, EachCommandIsSentAsItselfAndEndsTheProgramQuietly) {
    EXPECT_EQ(Run({"--toggle"}), 0);
    EXPECT_EQ(Run({"--start"}), 0);
    EXPECT_EQ(Run({"-auto", "--stop"}), 0);
    EXPECT_EQ(asked, (std::vector<LongOptionAction>{LongOptionAction::Toggle, LongOptionAction::Start,
                                                    LongOptionAction::Stop}));
    EXPECT_EQ(out.Text() + err.Text(), "");
    EXPECT_EQ(Run({"-auto"}), std::nullopt) << "no option: the program starts";
    EXPECT_EQ(asked.size(), 3u);
}

TEST_F(RunCommandOptions, NoInstanceOrNoAnswerEndsWithItsOwnCodeAndOneLine) {
    answer = InstanceAnswer::NotRunning;
    EXPECT_EQ(Run({"--toggle"}), kNotRunningExitCode);
    EXPECT_EQ(err.Text(), "zintra：Zintra 没有在运行，命令没有执行\n");
    answer = InstanceAnswer::NoAnswer;
    EXPECT_EQ(Run({"--stop"}), 1);
    EXPECT_EQ(err.Text(), "zintra：Zintra 没有在运行，命令没有执行\nzintra：正在运行的 Zintra 没有回应，命令没有执行\n");
    EXPECT_NE(kNotRunningExitCode, 1) << "a script tells the two apart";
    EXPECT_EQ(out.Text(), "");
}

TEST(LongOptionTable, NamesAreUniqueAndHelpListsEachWithItsLineAndTheExitCode) {
    const std::string help = HelpText();
    for (std::size_t i = 0; i < std::size(kLongOptions); ++i) {
        for (std::size_t j = i + 1; j < std::size(kLongOptions); ++j) {
            EXPECT_NE(kLongOptions[i].name, kLongOptions[j].name);
        }
        const LongOption& option = kLongOptions[i];
        EXPECT_NE(help.find("  " + std::string(option.name) + " "), std::string::npos) << option.name;
        EXPECT_NE(help.find(std::string(option.help) + "\n"), std::string::npos) << option.name;
    }
    for (const char* command : {"--toggle", "--start", "--stop"}) {
        EXPECT_NE(help.find(command), std::string::npos);
    }
    EXPECT_NE(help.find("退出码 " + std::to_string(kNotRunningExitCode)), std::string::npos);
}

}  // namespace
}  // namespace zintra
