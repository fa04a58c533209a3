#include "tests/unit/support/TestHttpServer.h"

#include <fcntl.h>
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

std::string ScriptPath() { return (std::filesystem::path(ZINTRA_TEST_SERVERS_DIR) / "transfer_server.py").string(); }

}  // namespace

TestHttpServer::TestHttpServer() { Start({}); }

TestHttpServer::TestHttpServer(const std::string& certificateFile, const std::string& keyFile) : tls_(true) {
    Start({"--tls", certificateFile, keyFile});
}

void TestHttpServer::Start(const std::vector<std::string>& arguments) {
    int toServer[2];
    int fromServer[2];
    // Close-on-exec, so a server started later does not hold this one's input open.
    if (::pipe2(toServer, O_CLOEXEC) != 0) return;
    if (::pipe2(fromServer, O_CLOEXEC) != 0) {
        ::close(toServer[0]);
        ::close(toServer[1]);
        return;
    }
    const std::string script = ScriptPath();
    std::vector<char*> argv{const_cast<char*>("python3"), const_cast<char*>(script.c_str())};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(toServer[0], 0);
        ::dup2(fromServer[1], 1);
        ::close(toServer[1]);
        ::close(fromServer[0]);
        ::execvp("python3", argv.data());
        ::_exit(127);
    }
    ::close(toServer[0]);
    ::close(fromServer[1]);
    input_ = toServer[1];

    // Wait for "READY <http> <silent> <control>".
    std::string line;
    pollfd ready{fromServer[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&ready, 1, 15000) > 0) {
        char chunk[128];
        const ssize_t read = ::read(fromServer[0], chunk, sizeof(chunk));
        if (read <= 0) break;
        line.append(chunk, static_cast<std::size_t>(read));
    }
    ::close(fromServer[0]);
    if (std::sscanf(line.c_str(), "READY %d %d %d", &httpPort_, &silentPort_, &controlPort_) != 3) httpPort_ = 0;
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

std::string TestHttpServer::Url(const std::string& path) const { return Url("127.0.0.1", path); }

std::string TestHttpServer::Url(const std::string& host, const std::string& path) const {
    return (tls_ ? "https://" : "http://") + host + ":" + std::to_string(httpPort_) + path;
}

std::string TestHttpServer::PlainUrl(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(controlPort_) + path;
}

std::string TestHttpServer::SilentUrl(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(silentPort_) + path;
}

std::string TestHttpServer::Control(const std::string& path, const std::string& body) {
    TransferSink sink;
    const std::string url = "http://127.0.0.1:" + std::to_string(controlPort_) + path;
    if (!HttpFetch(url, body.empty() ? nullptr : body.c_str(), sink)) {
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
