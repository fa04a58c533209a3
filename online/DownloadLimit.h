// The bound on a downloaded file: never past kMaxDownloadBytes, whatever a
// server announces or keeps sending (within an announced length libcurl
// itself stops at that length). A download that reaches the bound fails and
// its partial file is worthless.
#pragma once

#include "online/CurlEasy.h"
#include "online/TransferSink.h"

namespace zintra {

// `offset` bytes of the file are already on disk (a resumed download).
void LimitDownload(CurlEasy& easy, TransferSink& sink, long offset);

// Whether a failed transfer ended at the bound.
bool StoppedAtDownloadLimit(const CurlEasy& easy, const TransferSink& sink);

}  // namespace zintra
