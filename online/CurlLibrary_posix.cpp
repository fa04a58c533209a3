// CurlLibrary.h for Linux: libcurl.so.4 opened with dlopen on the first
// transfer.
#include "online/CurlLibrary.h"

#include <dlfcn.h>

namespace zintra {

namespace {

template <typename Function>
bool Bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

}  // namespace

std::unique_ptr<CurlLibrary> CurlLibrary::Open(const char* fileName) {
    // Never closed: threads may still hold its handles while the process ends.
    void* library = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    auto functions = std::make_unique<CurlLibrary>();
    const bool complete = Bind(library, "curl_global_init", functions->globalInit) &&
                          Bind(library, "curl_easy_init", functions->easyInit) &&
                          Bind(library, "curl_easy_setopt", functions->easySetopt) &&
                          Bind(library, "curl_easy_perform", functions->easyPerform) &&
                          Bind(library, "curl_easy_cleanup", functions->easyCleanup) &&
                          Bind(library, "curl_easy_getinfo", functions->easyGetinfo) &&
                          Bind(library, "curl_version_info", functions->versionInfo);
    if (!complete) return nullptr;
    return functions;
}

}  // namespace zintra
