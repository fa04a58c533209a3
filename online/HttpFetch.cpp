#include "online/HttpFetch.h"

#include <atomic>

#include "online/CurlEasy.h"

namespace zintra {

namespace {

constexpr int kAttempts = 3;
constexpr long kAttemptSeconds = 30;
std::atomic<long> testAttemptMilliseconds{0};

bool FetchOnce(const std::string& url, const char* postBody, TransferSink& sink) {
    CurlEasy easy;
    if (!easy) return false;
    easy.SetNoProgress(true);
    easy.SetWriteFunction(&AppendToSink);
    easy.SetWriteData(&sink);
    easy.SetUrl(url);
    if (postBody != nullptr) easy.SetPostFields(postBody);
    if (const long milliseconds = testAttemptMilliseconds.load(); milliseconds > 0) {
        easy.SetTimeoutMilliseconds(milliseconds);
    } else {
        easy.SetTimeout(kAttemptSeconds);
    }
    easy.SetFollowLocation(true);
    return easy.Perform();
}

}  // namespace

bool HttpFetch(const std::string& url, const char* postBody, TransferSink& sink) {
    bool ok = false;
    for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
        // Bytes of an attempt that broke off must not end up ahead of the next reply.
        sink.Clear();
        ok = FetchOnce(url, postBody, sink);
    }
    if (!ok) sink.Clear();
    return ok;
}

void SetFetchAttemptTimeoutForTesting(std::chrono::milliseconds timeout) {
    testAttemptMilliseconds.store(static_cast<long>(timeout.count()));
}

}  // namespace zintra
