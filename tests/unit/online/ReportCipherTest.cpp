#include <gtest/gtest.h>

#include <string>

#include "online/Base64.h"
#include "online/ReportCipher.h"
#include "tests/unit/support/Command.h"

namespace zintra {
namespace {

const std::string kReport =
    "{\"channelcode\":\"10001\",\"createtime\":1733500000,\"items\":[{\"procode\":\"self\",\"types\":\"1\"}],"
    "\"mac\":\"00-1A-2B-3C-4D-5E\",\"softcode\":\"10\",\"version\":\"1.0.0.1\"}\n";

// What openssl makes of the text under the report key and IV (PKCS#7 is its default padding).
std::string OpensslBody(const std::string& text) {
    const auto result = test::RunCommand("openssl enc -aes-256-cbc -base64 -A -K " + test::Hex(kReportKey) + " -iv " +
                                             test::Hex(kReportIv),
                                         text);
    EXPECT_EQ(result.exitCode, 0);
    std::string body = result.output;
    while (!body.empty() && body.back() == '\n') body.pop_back();
    return body;
}

TEST(ReportCipher, BodiesMatchOpensslForTheDocumentedSizes) {
    ASSERT_EQ(kReport.size(), 151u);
    const struct {
        std::string text;
        std::size_t bodyLength;
    } cases[] = {
        {"", 24},                  // one block of padding only
        {"0123456789abcdef", 44},  // a whole block gains another one
        {kReport, 216},            // 9 bytes of padding to 160
    };
    for (const auto& c : cases) {
        const std::string body = EncryptReportBody(c.text);
        EXPECT_EQ(body.size(), c.bodyLength) << c.text.size();
        EXPECT_EQ(body, OpensslBody(c.text)) << c.text.size();
    }
    EXPECT_EQ(EncryptReportBody(kReport).back(), '=');
}

TEST(ReportCipher, EveryPaddingLengthMatchesOpenssl) {
    std::string text;
    for (int length = 1; length <= 33; ++length) {
        text += static_cast<char>('A' + length % 26);
        EXPECT_EQ(EncryptReportBody(text), OpensslBody(text)) << length;
    }
}

TEST(ReportCipher, SameTextGivesTheSameBody) {
    EXPECT_EQ(EncryptReportBody(kReport), EncryptReportBody(kReport));
    EXPECT_NE(EncryptReportBody(kReport), EncryptReportBody(kReport.substr(1)));
}

TEST(Base64, Rfc4648Vectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},         {"f", "Zg=="},        {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) EXPECT_EQ(Base64Encode(plain.data(), plain.size()), encoded);
}

TEST(Base64, BinaryWithZeroBytesMatchesCoreutils) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>((i * 151) & 0xFF);  // includes zeros and 0xFF
    for (std::size_t length : {1u, 2u, 3u, 64u, 299u, 300u}) {
        const std::string part = bytes.substr(0, length);
        const auto reference = test::RunCommand("base64 -w0", part);
        ASSERT_EQ(reference.exitCode, 0);
        EXPECT_EQ(Base64Encode(part.data(), part.size()), reference.output) << length;
    }
}

}  // namespace
}  // namespace zintra
