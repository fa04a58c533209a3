#include "platform/linux/InstanceChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zintra::platform::linux_x11 {

namespace {

// Each request's line and the line that answers it. "show" is what every
// earlier version sends: it stays as it was.
struct RequestLine {
    InstanceRequest request;
    const char* line;
    const char* answer;
};
constexpr RequestLine kRequestLines[] = {
    {InstanceRequest::Show, "show\n", "shown\n"},
    {InstanceRequest::Toggle, "toggle\n", "done\n"},
    {InstanceRequest::Start, "start\n", "done\n"},
    {InstanceRequest::Stop, "stop\n", "done\n"},
};
constexpr std::size_t kLongestLine = 16;

const RequestLine* LineOf(InstanceRequest request) {
    for (const RequestLine& line : kRequestLines) {
        if (line.request == request) return &line;
    }
    return nullptr;
}

const RequestLine* RequestIn(const std::string& text) {
    for (const RequestLine& line : kRequestLines) {
        if (text == line.line) return &line;
    }
    return nullptr;
}

// Whether the other end of `socket` runs as this user.
bool PeerIsUs(int socket) {
    ucred peer{};
    socklen_t size = sizeof(peer);
    return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

// The socket address of `path`; false when the path is too long for one.
bool AddressOf(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void SetReceiveTimeout(int socket, int milliseconds) {
    timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
}

// Reads what the other side sent, up to `size` bytes or the end of its line.
std::string ReadLine(int socket, std::size_t size) {
    std::string text;
    char buffer[32];
    while (text.size() < size && text.find('\n') == std::string::npos) {
        const ssize_t got = ::recv(socket, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

bool SendAll(int socket, const char* text) {
    const std::size_t length = std::strlen(text);
    return ::send(socket, text, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
}

// One attempt; -1 when nobody listens (yet).
int Connect(const sockaddr_un& address) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return -1;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

}  // namespace

std::string InstanceSocketPath(const std::string& lockPath) {
    constexpr std::string_view kLock = ".lock";
    std::string path = lockPath;
    if (path.size() >= kLock.size() && path.compare(path.size() - kLock.size(), kLock.size(), kLock) == 0) {
        path.resize(path.size() - kLock.size());
    }
    return path + ".socket";
}

InstanceChannel::~InstanceChannel() {
    if (listener_ < 0) return;
    ::close(listener_);
    ::unlink(path_.c_str());
}

bool InstanceChannel::Listen(const std::string& path) {
    sockaddr_un address{};
    if (listener_ >= 0 || !AddressOf(path, address)) return false;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0) return false;
    // Whoever made the socket before held the lock and is gone.
    ::unlink(path.c_str());
    const mode_t mask = ::umask(077);
    const bool bound = ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::umask(mask);
    if (!bound || ::listen(socket, 8) != 0) {
        ::close(socket);
        return false;
    }
    listener_ = socket;
    path_ = path;
    return true;
}

short InstanceChannel::Events() { return listener_ >= 0 ? POLLIN : 0; }

void InstanceChannel::Dispatch() {
    if (listener_ < 0) return;
    for (;;) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return;
        Answer(connection);
        ::close(connection);
    }
}

void InstanceChannel::Answer(int connection) {
    // Only this user's own starts: the folder is private, the peer is checked too.
    if (!PeerIsUs(connection)) return;
    // The asking start writes its request at once; a silent peer never holds the window up for long.
    SetReceiveTimeout(connection, 500);
    // Anything else is closed unanswered, as an older asker expects of an unknown word.
    const RequestLine* line = RequestIn(ReadLine(connection, kLongestLine));
    if (line != nullptr && onRequest_ && onRequest_(line->request)) SendAll(connection, line->answer);
}

InstanceReply InstanceChannel::Ask(const std::string& path, InstanceRequest request, int connectMilliseconds,
                                   int answerMilliseconds) {
    sockaddr_un address{};
    const RequestLine* line = LineOf(request);
    if (line == nullptr || !AddressOf(path, address)) return InstanceReply::NobodyListens;
    // The running instance may still be starting: its socket comes with its lock.
    constexpr int kStep = 50;
    int socket = Connect(address);
    for (int waited = 0; socket < 0 && waited < connectMilliseconds; waited += kStep) {
        const timespec pause{0, kStep * 1000000L};
        ::nanosleep(&pause, nullptr);
        socket = Connect(address);
    }
    if (socket < 0) return InstanceReply::NobodyListens;
    // A socket another user put there is nobody we would ask.
    if (!PeerIsUs(socket)) {
        ::close(socket);
        return InstanceReply::NobodyListens;
    }
    SetReceiveTimeout(socket, answerMilliseconds);
    const bool answered = SendAll(socket, line->line) && ReadLine(socket, kLongestLine) == line->answer;
    ::close(socket);
    return answered ? InstanceReply::Answered : InstanceReply::NoAnswer;
}

}  // namespace zintra::platform::linux_x11
