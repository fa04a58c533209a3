#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "online/CurlEasy.h"
#include "online/CurlLibrary.h"
#include "online/HttpFetch.h"
#include "tests/unit/support/TestHttpServer.h"

namespace zintra {
namespace {

using namespace std::chrono_literals;

class HttpFetchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Running()); }
    void TearDown() override {
        SetFetchAttemptTimeoutForTesting(0ms);
        CurlLibrary::SimulateMissingForTesting(false);
    }

    test::TestHttpServer server_;
};

TEST_F(HttpFetchTest, WithoutBodyGetsAndWithBodyPostsItAsForm) {
    TransferSink sink;
    ASSERT_TRUE(HttpFetch(server_.Url("/echo"), nullptr, sink));
    EXPECT_EQ(sink.Text(), "GET\n\n");
    EXPECT_EQ(sink.buffer[sink.length], '\0');

    ASSERT_TRUE(HttpFetch(server_.Url("/echo"), "a=1&b=two+3", sink));
    EXPECT_EQ(sink.Text(), "POST\napplication/x-www-form-urlencoded\na=1&b=two+3");

    const Json::Value requests = server_.Log()["requests"];
    ASSERT_EQ(requests.size(), 3u) << "one request per fetch, then the log request";
    EXPECT_EQ(requests[1]["body"].asString(), "a=1&b=two+3");
}

TEST_F(HttpFetchTest, RedirectsAreFollowed) {
    Json::Value file;
    file["path"] = "/old";
    file["redirect"] = "/echo";
    file["redirect_body"] = "moved";
    server_.ServeFile(file);
    TransferSink sink;
    ASSERT_TRUE(HttpFetch(server_.Url("/old"), nullptr, sink));
    EXPECT_EQ(sink.Text(), "GET\n\n");
}

TEST_F(HttpFetchTest, ErrorPageCountsAsSuccessWithItsBody) {
    TransferSink sink;
    ASSERT_TRUE(HttpFetch(server_.Url("/missing"), nullptr, sink));
    EXPECT_EQ(sink.Text(), "no such page");
}

TEST_F(HttpFetchTest, ServerThatNeverAnswersIsTriedThreeTimesThenFails) {
    SetFetchAttemptTimeoutForTesting(300ms);
    TransferSink sink;
    EXPECT_FALSE(HttpFetch(server_.SilentUrl("/update/update.json"), nullptr, sink));
    EXPECT_EQ(sink.buffer, nullptr);
    EXPECT_EQ(server_.Log()["silent_accepts"].asInt(), 3);
}

TEST_F(HttpFetchTest, RetryAfterABrokenReplyStartsFromAnEmptyBuffer) {
    SetFetchAttemptTimeoutForTesting(700ms);
    TransferSink sink;
    ASSERT_TRUE(HttpFetch(server_.Url("/flaky?key=retry"), nullptr, sink));
    EXPECT_EQ(sink.Text(), "complete");

    // A sink that still holds an earlier reply is emptied too.
    ASSERT_TRUE(HttpFetch(server_.Url("/echo"), nullptr, sink));
    EXPECT_EQ(sink.Text(), "GET\n\n");
}

TEST_F(HttpFetchTest, RepliesAreCappedAt16MiB) {
    TransferSink sink;
    ASSERT_TRUE(HttpFetch(server_.Url("/big?size=" + std::to_string(kMaxReplyBytes)), nullptr, sink));
    EXPECT_EQ(static_cast<std::size_t>(sink.length), kMaxReplyBytes);
    EXPECT_EQ(sink.buffer[sink.length], '\0');

    EXPECT_FALSE(HttpFetch(server_.Url("/big?size=" + std::to_string(kMaxReplyBytes + 1)), nullptr, sink));
    EXPECT_EQ(sink.buffer, nullptr);
    EXPECT_EQ(sink.length, 0);
}

TEST_F(HttpFetchTest, RedirectLoopFailsAfterABoundedNumberOfRequests) {
    Json::Value file;
    file["path"] = "/loop";
    file["redirect"] = "/loop";
    server_.ServeFile(file);
    TransferSink sink;
    EXPECT_FALSE(HttpFetch(server_.Url("/loop"), nullptr, sink));
    EXPECT_EQ(sink.buffer, nullptr);
    const auto requests = server_.Log()["requests"].size();
    EXPECT_LE(requests, static_cast<unsigned>(3 * (CurlEasy::kMaxRedirects + 1) + 2));
}

TEST_F(HttpFetchTest, TricklingServerIsGivenUpAfterEachAttemptsTimeLimit) {
    // One byte a second: data keeps coming, so only the bound on the whole attempt ends it.
    SetFetchAttemptTimeoutForTesting(1500ms);
    Json::Value file;
    file["path"] = "/update/update.json";
    file["body"] = R"({"version": 99, "url": "http://127.0.0.1:9/setup.exe"})";
    file["chunks"] = 54;
    file["delay"] = 1.0;
    server_.ServeFile(file);
    TransferSink sink;
    EXPECT_FALSE(HttpFetch(server_.Url("/update/update.json"), nullptr, sink));
    EXPECT_EQ(sink.buffer, nullptr);
    EXPECT_EQ(sink.length, 0);
}

TEST(TransferSink, MemoryAppendsKeepAZeroTerminatedBufferAndGrowGeometrically) {
    TransferSink sink;
    std::string expected;
    std::set<std::size_t> capacities;
    for (int i = 0; i < 100000; ++i) {
        char byte = static_cast<char>('a' + i % 26);
        ASSERT_EQ(AppendToSink(&byte, 1, 1, &sink), 1u);
        expected += byte;
        capacities.insert(sink.capacity);
    }
    EXPECT_EQ(sink.Text(), expected);
    EXPECT_EQ(sink.buffer[sink.length], '\0');
    EXPECT_LT(capacities.size(), 25u) << "the buffer was reallocated for most chunks";

    char byte = 'x';
    EXPECT_EQ(AppendToSink(&byte, 1, 0, &sink), 0u);
    EXPECT_EQ(AppendToSink(&byte, 1, 1, nullptr), 0u);
    sink.Clear();
    EXPECT_EQ(sink.buffer, nullptr);
    EXPECT_EQ(sink.length, 0);
}

TEST(TransferSink, ItemCountsWhoseByteSizeWrapsAroundAreRefused) {
    // 2^32 items of 2^32 bytes multiply to 0 in 64 bits: no "success" for bytes never stored.
    TransferSink sink;
    char byte = 'x';
    const std::size_t half = std::size_t{1} << 32;
    EXPECT_EQ(AppendToSink(&byte, half, half, &sink), 0u);
    EXPECT_EQ(AppendToSink(&byte, SIZE_MAX, 2, &sink), 0u);
    EXPECT_EQ(sink.length, 0);
    sink.Clear();
}

TEST(TransferSink, FileSinkWritesToTheStreamAndLeavesTheBufferAlone) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    TransferSink sink(file);
    char data[] = "abcdef";
    EXPECT_EQ(AppendToSink(data, 1, 6, &sink), 6u);
    EXPECT_EQ(sink.buffer, nullptr);
    EXPECT_EQ(std::ftell(file), 6);
    std::fclose(file);
}

TEST(CurlEasy, SecureUrlsAreSupported) { EXPECT_TRUE(CurlEasy::SupportsProtocol("https")); }

TEST_F(HttpFetchTest, WithoutLibcurlEveryTransferFailsAndTheNextOneWithItGoesThrough) {
    CurlLibrary::SimulateMissingForTesting(true);
    {
        CurlEasy easy;
        EXPECT_FALSE(easy);
        easy.SetUrl(server_.Url("/echo"));
        easy.SetFollowLocation(true);
        EXPECT_FALSE(easy.Perform());
        EXPECT_EQ(easy.ResponseCode(), 0);
        EXPECT_EQ(easy.ContentLengthDownload(), 0);
        EXPECT_EQ(easy.EffectiveUrl(), "");
    }
    EXPECT_FALSE(CurlEasy::SupportsProtocol("https"));
    TransferSink sink;
    EXPECT_FALSE(HttpFetch(server_.Url("/echo"), "a=1", sink));
    EXPECT_EQ(sink.buffer, nullptr);

    // A handle made while the library is there keeps it to the end.
    CurlLibrary::SimulateMissingForTesting(false);
    CurlEasy made;
    CurlLibrary::SimulateMissingForTesting(true);
    made.SetUrl(server_.Url("/echo"));
    made.SetWriteFunction(AppendToSink);
    made.SetWriteData(&sink);
    EXPECT_TRUE(made.Perform());
    EXPECT_EQ(made.ResponseCode(), 200);
    CurlLibrary::SimulateMissingForTesting(false);

    sink.Clear();
    ASSERT_TRUE(HttpFetch(server_.Url("/echo"), nullptr, sink));
    EXPECT_EQ(sink.Text(), "GET\n\n");
    EXPECT_EQ(server_.Log()["requests"].size(), 3u) << "nothing was sent without the library";
}

}  // namespace
}  // namespace zintra
