#include "tests/unit/support/TestHttpServer.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "online/HttpFetch.h"

namespace zintra::test {

namespace {

std::string ScriptPath() {
#ifdef ZINTRA_TEST_SERVER_SCRIPT
    // Given by the build: __FILE__ is relative to the build directory when ccache
    // rewrites paths (CCACHE_BASEDIR), and the tests run from another directory.
    return ZINTRA_TEST_SERVER_SCRIPT;
#endif
    // This file lives in tests/unit/support; the server in tests/servers.
    return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "servers" /
            "transfer_server.py")
        .string();
}

}  // namespace

TestHttpServer::TestHttpServer() {
    int toServer[2];
    int fromServer[2];
    if (::pipe(toServer) != 0) return;
    if (::pipe(fromServer) != 0) {
        ::close(toServer[0]);
        ::close(toServer[1]);
        return;
    }
    const std::string script = ScriptPath();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(toServer[0], 0);
        ::dup2(fromServer[1], 1);
        ::close(toServer[1]);
        ::close(fromServer[0]);
        ::execlp("python3", "python3", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toServer[0]);
    ::close(fromServer[1]);
    input_ = toServer[1];

    // Wait for "READY <http> <silent>".
    std::string line;
    pollfd ready{fromServer[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&ready, 1, 15000) > 0) {
        char chunk[128];
        const ssize_t read = ::read(fromServer[0], chunk, sizeof(chunk));
        if (read <= 0) break;
        line.append(chunk, static_cast<std::size_t>(read));
    }
    ::close(fromServer[0]);
    if (std::sscanf(line.c_str(), "READY %d %d", &httpPort_, &silentPort_) != 2) httpPort_ = 0;
}

TestHttpServer::~TestHttpServer() {
    if (input_ >= 0) ::close(input_);  // the server ends when its input closes
    if (pid_ > 0) {
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) return;
            ::usleep(10000);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
}

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(httpPort_) + path;
}

std::string TestHttpServer::SilentUrl(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(silentPort_) + path;
}

std::string TestHttpServer::Control(const std::string& path, const std::string& body) {
    TransferSink sink;
    if (!HttpFetch(Url(path), body.empty() ? nullptr : body.c_str(), sink)) {
        throw std::runtime_error("test server does not answer " + path);
    }
    return std::string(sink.Text());
}

void TestHttpServer::ServeFile(const Json::Value& settings) { Control("/_control/file", WriteCompactJson(settings)); }

Json::Value TestHttpServer::Log() {
    Json::Value log;
    if (!ParseJson(Control("/_control/log", ""), log)) throw std::runtime_error("unreadable test server log");
    return log;
}

void TestHttpServer::Reset() { Control("/_control/reset", "{}"); }

std::string ServedContent(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + (i >> 8) * 7 + 11) & 0xFF);
    return bytes;
}

}  // namespace zintra::test
