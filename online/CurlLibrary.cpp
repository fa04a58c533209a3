#include "online/CurlLibrary.h"

#include <atomic>
#include <cstdio>

namespace zintra {

namespace {

std::atomic<bool> missingForTesting{false};

}  // namespace

void CurlLibrary::SimulateMissingForTesting(bool missing) { missingForTesting.store(missing); }

const CurlLibrary* CurlLibrary::Shared() {
    static const std::unique_ptr<CurlLibrary> shared = [] {
        std::unique_ptr<CurlLibrary> library = Open(kProgramFile);
        if (library == nullptr) {
            std::fprintf(stderr, "zintra: %s cannot be loaded: nothing can be downloaded or sent\n", kProgramFile);
        } else {
            library->globalInit(CURL_GLOBAL_DEFAULT);
        }
        return library;
    }();
    return missingForTesting.load() ? nullptr : shared.get();
}

}  // namespace zintra
