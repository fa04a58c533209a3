#include "online/CurlLibrary.h"

#include <gtest/gtest.h>

#include <string>

namespace zintra {
namespace {

#ifndef _WIN32
TEST(CurlLibrary, OpensOnlyALibcurlWithEveryFunctionTheTransfersCall) {
    const auto library = CurlLibrary::Open(CurlLibrary::kProgramFile);
    ASSERT_NE(library, nullptr);
    const curl_version_info_data* info = library->versionInfo(CURLVERSION_NOW);
    ASSERT_NE(info, nullptr);
    bool https = false;
    for (const char* const* protocol = info->protocols; *protocol != nullptr; ++protocol) {
        https = https || std::string(*protocol) == "https";
    }
    EXPECT_TRUE(https);

    EXPECT_EQ(CurlLibrary::Open("libzintra-no-such-curl.so.4"), nullptr) << "a missing file";
    EXPECT_EQ(CurlLibrary::Open("libm.so.6"), nullptr) << "a library without libcurl's functions";
}
#endif

}  // namespace
}  // namespace zintra
