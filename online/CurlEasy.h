// The one place that talks to libcurl: an easy handle released once, one
// setter per transfer option the program uses, and the few facts read back
// after a transfer. Every transfer makes its own handle; nothing is shared.
// libcurl's header stays out of it (on Windows it brings in <windows.h>); on
// Linux the library itself is opened with the first handle (CurlLibrary.h).
// HTTPS servers are always checked: certificate chain and host name. The
// environment variable ZINTRA_CA_BUNDLE may name a PEM file of certificate
// authorities to check them against instead of the system's (tests trust
// their own authority that way); no setting turns checking off.
// Every transfer speaks only HTTP and HTTPS, redirects from HTTPS stay on
// HTTPS, and no transfer waits forever: connecting gives up after
// kConnectSeconds, and kStallSeconds without a byte ends the transfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zintra {

class CurlLibrary;

class CurlEasy {
public:
    using WriteFunction = std::size_t (*)(char* data, std::size_t itemSize, std::size_t itemCount, void* userData);
    using ProgressFunction = int (*)(void* userData, double downloadTotal, double downloadNow, double uploadTotal,
                                     double uploadNow);

    // Redirects followed before a transfer fails.
    static constexpr long kMaxRedirects = 30;
    static constexpr long kConnectSeconds = 20;
    // Less than one byte a second for this long ends a transfer (a server that
    // accepts and never answers, or stops sending).
    static constexpr long kStallSeconds = 30;
    // Tests shorten the stall limit; zero restores it.
    static void SetStallSecondsForTesting(long seconds);

    CurlEasy();
    ~CurlEasy() { Release(); }
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    // False when libcurl could not create the handle.
    explicit operator bool() const { return handle_ != nullptr; }

    // Each sets the libcurl option of the same name. Strings are copied by
    // libcurl except the post fields, which must outlive Perform.
    // An https address allows redirects to https only.
    void SetUrl(const std::string& url);
    void SetWriteFunction(WriteFunction function);
    void SetWriteData(void* userData);
    void SetNoProgress(bool noProgress);
    void SetProgressFunction(ProgressFunction function);
    void SetProgressData(void* userData);
    void SetPostFields(const char* body);
    void SetTimeout(long seconds);
    void SetTimeoutMilliseconds(long milliseconds);
    void SetFollowLocation(bool follow);
    void SetHeader(bool includeHeaders);
    void SetNoBody(bool noBody);
    void SetRange(const char* range);
    // Receives each header line of every answer, the status line included.
    void SetHeaderFunction(WriteFunction function);
    void SetHeaderData(void* userData);
    // An answer of 400 or above fails the transfer before its body.
    void SetFailOnError(bool fail);
    // A reply that announces more bytes than this fails before its body.
    void SetMaxFileSize(std::uint64_t bytes);
    // The receive buffer: larger reads mean fewer socket calls per megabyte.
    void SetBufferSize(long bytes);

    // True when the transfer completed at the transport level.
    bool Perform();
    // Whether the last Perform failed because the reply announced more than
    // SetMaxFileSize allows.
    bool ExceededMaxFileSize() const { return exceededMaxFileSize_; }
    // Whether the last Perform failed on an answer of 400 or above (SetFailOnError).
    bool FailedOnHttpError() const { return failedOnHttpError_; }
    void Release();

    long ResponseCode() const;
    // -1 when the server announced no length, 0 when it cannot be read.
    double ContentLengthDownload() const;
    std::string EffectiveUrl() const;

    // Whether this libcurl can speak the protocol ("https", "http").
    static bool SupportsProtocol(const std::string& protocol);

private:
    // The library that made handle_; null with it.
    const CurlLibrary* library_ = nullptr;
    void* handle_ = nullptr;
    bool exceededMaxFileSize_ = false;
    bool failedOnHttpError_ = false;
};

}  // namespace zintra
