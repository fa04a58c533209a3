// The result lines of the test-only programs (the galleries): each printed
// and, when the test named a result file, appended to it at once, so a test
// reads what happened while the program still runs.
#pragma once

#include <cstdio>
#include <string>

namespace zintra::gallery {

inline void ReportLine(const std::string& resultPath, const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (resultPath.empty()) return;
    if (FILE* file = std::fopen(resultPath.c_str(), "ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

}  // namespace zintra::gallery
