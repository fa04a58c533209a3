// libcurl's entry points as CurlEasy calls them, so that Linux can open the
// library with the first transfer instead of at start: libcurl and the
// libraries it brings (TLS, SSH, LDAP, IDN, compression) took about a third
// of the native program's start-up before its window showed. Windows links
// libcurl statically and fills the same table at once.
// Only the transfer code (CurlEasy.cpp) and its tests include this header.
#pragma once

#define CURL_DISABLE_DEPRECATION
#include <curl/curl.h>

#include <memory>

namespace zintra {

class CurlLibrary {
public:
    // The program's libcurl, opened and globally initialised once, by the
    // first thread that asks; nullptr when it cannot be loaded, which every
    // transfer then takes as a failed one.
    static const CurlLibrary* Shared();
    // Tests make Shared() answer as if the library were missing; false restores it.
    static void SimulateMissingForTesting(bool missing);
    // Opens the named library file (Linux; Windows has only its own) without
    // initialising it; nullptr when it is missing or lacks one of the functions below.
    static std::unique_ptr<CurlLibrary> Open(const char* fileName);
    // The soname of libcurl built against OpenSSL (Debian's libcurl4), the one
    // the program is compiled against.
    static constexpr char kProgramFile[] = "libcurl.so.4";

    decltype(&::curl_global_init) globalInit = nullptr;
    decltype(&::curl_easy_init) easyInit = nullptr;
    decltype(&::curl_easy_setopt) easySetopt = nullptr;
    decltype(&::curl_easy_perform) easyPerform = nullptr;
    decltype(&::curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&::curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&::curl_version_info) versionInfo = nullptr;
};

}  // namespace zintra
