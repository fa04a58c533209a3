// One HTTP request with its reply collected in memory: the update description
// and the usage reports go through here. Blocking; up to three attempts.
#pragma once

#include <chrono>
#include <string>

#include "online/TransferSink.h"

namespace zintra {

// GET when postBody is null, otherwise a POST of that zero-terminated text
// (form content type). Redirects are followed. True when an attempt completed
// at the transport level, whatever the HTTP status; the reply is then in the
// sink. Each attempt starts from an empty sink and may take 30 seconds.
bool HttpFetch(const std::string& url, const char* postBody, TransferSink& sink);

// Tests shorten the 30-second attempt; zero restores it.
void SetFetchAttemptTimeoutForTesting(std::chrono::milliseconds timeout);

}  // namespace zintra
