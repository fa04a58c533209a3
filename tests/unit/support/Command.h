// Runs a command line of the test machine (openssl, python3, base64) with the
// given bytes on its standard input, so results can be checked against an
// independent implementation.
#pragma once

#include <string>

namespace zintra::test {

struct CommandResult {
    int exitCode = -1;
    std::string output;  // standard output
};

CommandResult RunCommand(const std::string& commandLine, const std::string& input = {});

// Bytes as lower-case hexadecimal, for command lines.
std::string Hex(const std::string& bytes);

}  // namespace zintra::test
