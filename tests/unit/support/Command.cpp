#include "tests/unit/support/Command.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace zintra::test {

CommandResult RunCommand(const std::string& commandLine, const std::string& input) {
    char inputPath[] = "/tmp/zintra-command-XXXXXX";
    const int fd = ::mkstemp(inputPath);
    if (fd < 0) return {};
    ::close(fd);
    std::ofstream(inputPath, std::ios::binary) << input;

    CommandResult result;
    const std::string line = "(" + commandLine + ") < " + inputPath;
    if (std::FILE* pipe = ::popen(line.c_str(), "r")) {
        char chunk[4096];
        std::size_t read = 0;
        while ((read = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0) result.output.append(chunk, read);
        const int status = ::pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::remove(inputPath);
    return result;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

}  // namespace zintra::test
