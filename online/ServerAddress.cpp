#include "online/ServerAddress.h"

#include <cstdlib>

// The built-in addresses are the CMake cache variables of the same names.
#if !defined(ZINTRA_REPORT_URL) || !defined(ZINTRA_UPDATE_URL)
#error "ZINTRA_REPORT_URL and ZINTRA_UPDATE_URL come from online/CMakeLists.txt"
#endif

namespace zintra {

namespace {

std::string FromEnvironment(const char* name, const char* builtIn) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : builtIn;
}

}  // namespace

std::string ReportUrl() { return FromEnvironment("ZINTRA_REPORT_URL", ZINTRA_REPORT_URL); }

std::string UpdateUrl() { return FromEnvironment("ZINTRA_UPDATE_URL", ZINTRA_UPDATE_URL); }

}  // namespace zintra
