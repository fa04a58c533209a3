// CurlLibrary.h for Windows: libcurl is linked statically, so the table is
// its own functions, initialised once.
#include "online/CurlLibrary.h"

namespace zintra {

std::unique_ptr<CurlLibrary> CurlLibrary::Open(const char*) {
    auto functions = std::make_unique<CurlLibrary>();
    functions->globalInit = &::curl_global_init;
    functions->easyInit = &::curl_easy_init;
    functions->easySetopt = &::curl_easy_setopt;
    functions->easyPerform = &::curl_easy_perform;
    functions->easyCleanup = &::curl_easy_cleanup;
    functions->easyGetinfo = &::curl_easy_getinfo;
    functions->versionInfo = &::curl_version_info;
    return functions;
}

}  // namespace zintra
