// Starts tests/servers/transfer_server.py on free loopback ports for the
// lifetime of one object, and talks to its control pages.
#pragma once

#include <sys/types.h>

#include <string>

#include "online/JsonText.h"

namespace zintra::test {

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool Running() const { return httpPort_ != 0; }
    // "http://127.0.0.1:<port><path>"
    std::string Url(const std::string& path) const;
    // A port that accepts connections and never answers.
    std::string SilentUrl(const std::string& path = "/") const;

    // Registers a served file: {"path": ..., "size": ..., "last_modified": ...,
    // "redirect": ..., "redirect_body": ..., "zero_length": ..., "chunks": ..., "delay": ...}.
    void ServeFile(const Json::Value& settings);
    // {"requests": [{method, path, range, content_type, body}], "reports": [{plaintext, problems}], "silent_accepts": n}
    Json::Value Log();
    // Forgets requests, reports and files.
    void Reset();

private:
    std::string Control(const std::string& path, const std::string& body);

    pid_t pid_ = -1;
    int input_ = -1;
    int httpPort_ = 0;
    int silentPort_ = 0;
};

// The bytes the server serves for a file of the given size.
std::string ServedContent(std::size_t size);

}  // namespace zintra::test
