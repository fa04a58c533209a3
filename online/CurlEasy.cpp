#include "online/CurlEasy.h"

#include <atomic>
#include <cctype>
#include <cstdlib>

// The transfer options are the long-standing ones (the double-valued progress
// callback and content length); newer libcurl marks them deprecated, which
// this header turns off.
#include "online/CurlLibrary.h"

namespace zintra {

namespace {

// Every call goes to the library that made the handle; none without a handle.
template <typename Value>
void SetOption(const CurlLibrary* library, void* handle, CURLoption option, Value value) {
    if (handle != nullptr) library->easySetopt(static_cast<CURL*>(handle), option, value);
}

template <typename Value>
bool GetInfo(const CurlLibrary* library, void* handle, CURLINFO info, Value* value) {
    return handle != nullptr && library->easyGetinfo(static_cast<CURL*>(handle), info, value) == CURLE_OK;
}

std::atomic<long> testStallSeconds{0};

bool IsHttps(const std::string& url) {
    constexpr char kScheme[] = "https://";
    if (url.size() < sizeof(kScheme) - 1) return false;
    for (std::size_t i = 0; i + 1 < sizeof(kScheme); ++i) {
        if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i]) return false;
    }
    return true;
}

}  // namespace

void CurlEasy::SetStallSecondsForTesting(long seconds) { testStallSeconds.store(seconds); }

CurlEasy::CurlEasy() {
    // Without libcurl there is no handle and every transfer fails.
    library_ = CurlLibrary::Shared();
    handle_ = library_ != nullptr ? library_->easyInit() : nullptr;
    // Certificate and host name checks are libcurl's defaults; they are set
    // here anyway so that no transfer of this program ever goes without them.
    SetOption(library_, handle_, CURLOPT_SSL_VERIFYPEER, 1L);
    SetOption(library_, handle_, CURLOPT_SSL_VERIFYHOST, 2L);
    // Tests name their own certificate authority here; nothing turns the checks off.
    if (const char* authorities = std::getenv("ZINTRA_CA_BUNDLE"); authorities != nullptr && *authorities != '\0') {
        SetOption(library_, handle_, CURLOPT_CAINFO, authorities);
    }
    // Never a local file, a mail server or anything else an address might name.
    // (This holds for redirects too; SetUrl narrows them further for HTTPS.)
    SetOption(library_, handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    SetOption(library_, handle_, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    const long stall = testStallSeconds.load();
    SetOption(library_, handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    SetOption(library_, handle_, CURLOPT_LOW_SPEED_TIME, stall > 0 ? stall : kStallSeconds);
}

void CurlEasy::SetUrl(const std::string& url) {
    SetOption(library_, handle_, CURLOPT_URL, url.c_str());
    // What came over HTTPS must not be handed over in the clear by a redirect.
    SetOption(library_, handle_, CURLOPT_REDIR_PROTOCOLS_STR, IsHttps(url) ? "https" : "http,https");
}
void CurlEasy::SetWriteFunction(WriteFunction function) {
    SetOption(library_, handle_, CURLOPT_WRITEFUNCTION, function);
}
void CurlEasy::SetWriteData(void* userData) { SetOption(library_, handle_, CURLOPT_WRITEDATA, userData); }
void CurlEasy::SetNoProgress(bool noProgress) {
    SetOption(library_, handle_, CURLOPT_NOPROGRESS, noProgress ? 1L : 0L);
}
void CurlEasy::SetProgressFunction(ProgressFunction function) {
    SetOption(library_, handle_, CURLOPT_PROGRESSFUNCTION, function);
}
void CurlEasy::SetProgressData(void* userData) { SetOption(library_, handle_, CURLOPT_PROGRESSDATA, userData); }
void CurlEasy::SetPostFields(const char* body) { SetOption(library_, handle_, CURLOPT_POSTFIELDS, body); }
void CurlEasy::SetTimeout(long seconds) { SetOption(library_, handle_, CURLOPT_TIMEOUT, seconds); }
void CurlEasy::SetTimeoutMilliseconds(long milliseconds) {
    SetOption(library_, handle_, CURLOPT_TIMEOUT_MS, milliseconds);
}
void CurlEasy::SetFollowLocation(bool follow) {
    SetOption(library_, handle_, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
    // This libcurl follows without end by default, so a redirect loop would hold
    // an untimed download forever; newer versions stop at the same 30.
    if (follow) SetOption(library_, handle_, CURLOPT_MAXREDIRS, kMaxRedirects);
}
void CurlEasy::SetHeader(bool includeHeaders) {
    SetOption(library_, handle_, CURLOPT_HEADER, includeHeaders ? 1L : 0L);
}
void CurlEasy::SetNoBody(bool noBody) { SetOption(library_, handle_, CURLOPT_NOBODY, noBody ? 1L : 0L); }
void CurlEasy::SetRange(const char* range) { SetOption(library_, handle_, CURLOPT_RANGE, range); }
void CurlEasy::SetBufferSize(long bytes) { SetOption(library_, handle_, CURLOPT_BUFFERSIZE, bytes); }
void CurlEasy::SetHeaderFunction(WriteFunction function) {
    SetOption(library_, handle_, CURLOPT_HEADERFUNCTION, function);
}
void CurlEasy::SetHeaderData(void* userData) { SetOption(library_, handle_, CURLOPT_HEADERDATA, userData); }
void CurlEasy::SetFailOnError(bool fail) { SetOption(library_, handle_, CURLOPT_FAILONERROR, fail ? 1L : 0L); }

void CurlEasy::SetMaxFileSize(std::uint64_t bytes) {
    SetOption(library_, handle_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(bytes));
}

bool CurlEasy::Perform() {
    if (handle_ == nullptr) return false;
    const CURLcode result = library_->easyPerform(static_cast<CURL*>(handle_));
    exceededMaxFileSize_ = result == CURLE_FILESIZE_EXCEEDED;
    failedOnHttpError_ = result == CURLE_HTTP_RETURNED_ERROR;
    return result == CURLE_OK;
}

void CurlEasy::Release() {
    if (handle_ != nullptr) library_->easyCleanup(static_cast<CURL*>(handle_));
    handle_ = nullptr;
    library_ = nullptr;
}

long CurlEasy::ResponseCode() const {
    long code = 0;
    return GetInfo(library_, handle_, CURLINFO_RESPONSE_CODE, &code) ? code : 0;
}

double CurlEasy::ContentLengthDownload() const {
    double length = 0;
    return GetInfo(library_, handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD, &length) ? length : 0;
}

std::string CurlEasy::EffectiveUrl() const {
    char* url = nullptr;
    if (!GetInfo(library_, handle_, CURLINFO_EFFECTIVE_URL, &url) || url == nullptr) return {};
    return url;
}

bool CurlEasy::SupportsProtocol(const std::string& protocol) {
    const CurlLibrary* library = CurlLibrary::Shared();
    if (library == nullptr) return false;
    const curl_version_info_data* info = library->versionInfo(CURLVERSION_NOW);
    if (info == nullptr || info->protocols == nullptr) return false;
    for (const char* const* p = info->protocols; *p != nullptr; ++p) {
        if (protocol == *p) return true;
    }
    return false;
}

}  // namespace zintra
