// How a second start reaches the running instance: the socket beside the
// lock, the request and its answer, and who may ask.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/linux/CombinedEvents.h"
#include "platform/linux/InstanceChannel.h"
#include "platform/linux/LinuxProcess.h"
#include "platform/Messages.h"

namespace zintra::platform::linux_x11 {
namespace {

namespace fs = std::filesystem;

// Dispatches `source` on a thread of its own until stopped, as the program's loop would.
class Dispatcher {
public:
    explicit Dispatcher(EventSource& source) : thread_([this, &source] {
        while (!stop_) {
            pollfd watched{source.Descriptor(), source.Events(), 0};
            if (::poll(&watched, 1, 20) > 0) source.Dispatch();
        }
    }) {}
    ~Dispatcher() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Posted {
    NativeWindow window;
    std::uint32_t message;
    std::uintptr_t wParam;
    bool operator==(const Posted&) const = default;
};

class RecordingLoop final : public DesktopLoop {
public:
    bool PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        std::lock_guard<std::mutex> hold(lock_);
        posted_.push_back({window, message, wParam});
        return true;
    }
    std::vector<IconPicture> IconPictures(IconHandle) override { return {}; }
    std::vector<Posted> AllPosted() {
        std::lock_guard<std::mutex> hold(lock_);
        return posted_;
    }

private:
    std::mutex lock_;
    std::vector<Posted> posted_;
};

class InstanceChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zintra-channel-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const char* previous = std::getenv("XDG_RUNTIME_DIR");
        hadRuntime_ = previous != nullptr;
        if (hadRuntime_) savedRuntime_ = previous;
        ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    }
    void TearDown() override {
        if (hadRuntime_) ::setenv("XDG_RUNTIME_DIR", savedRuntime_.c_str(), 1); else ::unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(folder_);
    }
    std::string Socket() const { return (folder_ / "test.socket").string(); }

    fs::path folder_;
    bool hadRuntime_ = false;
    std::string savedRuntime_;
};

TEST(InstanceSocketPath, SitsBesideTheLock) {
    EXPECT_EQ(InstanceSocketPath("/run/user/1000/zintra-x.lock"), "/run/user/1000/zintra-x.socket");
    EXPECT_EQ(InstanceSocketPath("/tmp/odd"), "/tmp/odd.socket");
}

TEST_F(InstanceChannelTest, ASecondStartIsAnsweredOnlyWhenTheWindowTakesTheRequest) {
    InstanceChannel channel;
    ASSERT_TRUE(channel.Listen(Socket()));
    EXPECT_EQ(fs::status(Socket()).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
        << "nobody else may connect";
    std::atomic<int> requests{0};
    std::atomic<bool> accept{true};
    channel.OnRequest([&](InstanceRequest request) {
        ++requests;
        return request == InstanceRequest::Show && accept.load();
    });
    Dispatcher dispatcher(channel);
    EXPECT_TRUE(InstanceChannel::AskToShow(Socket(), 5000));
    EXPECT_TRUE(InstanceChannel::AskToShow(Socket(), 5000));
    EXPECT_EQ(requests, 2);
    accept = false;
    EXPECT_FALSE(InstanceChannel::AskToShow(Socket(), 5000)) << "no window to show yet";
    EXPECT_EQ(requests, 3);
}

// What the instance answers to `line` sent over a raw connection; "" when it closed without a word.
std::string RawExchange(const std::string& path, const std::string& line) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return "no connection";
    static_cast<void>(::send(socket, line.data(), line.size(), 0));
    char answer[16];
    const ssize_t got = ::recv(socket, answer, sizeof(answer), 0);
    ::close(socket);
    return got > 0 ? std::string(answer, static_cast<std::size_t>(got)) : std::string();
}

TEST_F(InstanceChannelTest, EachRequestReachesTheHandlerAndAnythingElseIsClosedUnanswered) {
    InstanceChannel channel;
    ASSERT_TRUE(channel.Listen(Socket()));
    std::mutex lock;
    std::vector<InstanceRequest> seen;
    channel.OnRequest([&](InstanceRequest request) {
        std::lock_guard<std::mutex> hold(lock);
        seen.push_back(request);
        return true;
    });
    Dispatcher dispatcher(channel);
    // What an earlier version sends and expects back.
    EXPECT_EQ(RawExchange(Socket(), "show\n"), "shown\n");
    for (const InstanceRequest request : {InstanceRequest::Toggle, InstanceRequest::Start, InstanceRequest::Stop}) {
        EXPECT_EQ(InstanceChannel::Ask(Socket(), request, 0, 5000), InstanceReply::Answered);
    }
    for (const char* unknown : {"quit\n", "toggle", "Toggle\n", "start stop\n", "toggle\nshow\n", ""}) {
        EXPECT_EQ(RawExchange(Socket(), unknown), "") << "closed without an answer: " << unknown;
    }
    std::lock_guard<std::mutex> hold(lock);
    EXPECT_EQ(seen, (std::vector<InstanceRequest>{InstanceRequest::Show, InstanceRequest::Toggle,
                                                  InstanceRequest::Start, InstanceRequest::Stop}));
}

TEST_F(InstanceChannelTest, ACommandNobodyTookIsNoAnswerAndNoListenerIsNobody) {
    EXPECT_EQ(InstanceChannel::Ask(Socket(), InstanceRequest::Toggle, 0, 200), InstanceReply::NobodyListens);
    InstanceChannel channel;
    ASSERT_TRUE(channel.Listen(Socket()));
    channel.OnRequest([](InstanceRequest) { return false; });
    Dispatcher dispatcher(channel);
    EXPECT_EQ(InstanceChannel::Ask(Socket(), InstanceRequest::Stop, 0, 2000), InstanceReply::NoAnswer);
}

TEST_F(InstanceChannelTest, NobodyListeningOrAPlaceTooLongIsNoAnswer) {
    EXPECT_FALSE(InstanceChannel::AskToShow(Socket(), 100));
    std::ofstream(Socket()) << "left over";
    EXPECT_FALSE(InstanceChannel::AskToShow(Socket(), 100)) << "a plain file is nobody";
    InstanceChannel channel;
    EXPECT_TRUE(channel.Listen(Socket())) << "what an earlier holder left is replaced";
    InstanceChannel tooLong;
    EXPECT_FALSE(tooLong.Listen((folder_ / std::string(200, 'x')).string()));
    EXPECT_FALSE(InstanceChannel::AskToShow((folder_ / std::string(200, 'x')).string(), 100));
}

TEST_F(InstanceChannelTest, TheLockHolderPostsTheRequestToItsWindowAndTheSocketGoesWithIt) {
    const std::u16string name = u"{channel-test}";
    RecordingLoop loop;
    const std::string socket = InstanceSocketPath(SingleInstanceLockPath(name));
    {
        LinuxProcess first;
        ASSERT_TRUE(first.CreateSingleInstanceMutex(name));
        EXPECT_TRUE(fs::exists(socket));
        first.Attach(&loop);
        first.AcceptShowRequests(42, 0x1234);
        CombinedEvents events;  // as the platform hands it to the loop
        events.Add(first.Requests());
        Dispatcher dispatcher(events);
        LinuxProcess second;
        ASSERT_FALSE(second.CreateSingleInstanceMutex(name));
        EXPECT_TRUE(second.AskRunningInstanceToShow(name));
        EXPECT_EQ(LinuxProcess::AskRunningInstance(name, InstanceRequest::Stop), InstanceReply::Answered);
        EXPECT_EQ(loop.AllPosted(), (std::vector<Posted>{{42, 0x1234, 0}, {42, 0x1234, msg::kRunStop}}));
        LinuxProcess other;
        EXPECT_FALSE(other.AskRunningInstanceToShow(u"{never held}"));
    }
    EXPECT_FALSE(fs::exists(socket)) << "the instance took its socket with it";
    EXPECT_EQ(LinuxProcess::AskRunningInstance(name, InstanceRequest::Toggle), InstanceReply::NobodyListens);
}

TEST(CombinedEvents, WakesForAnyPartAndKeepsTheNearestDeadline) {
    class Pipe final : public EventSource {
    public:
        Pipe() { static_cast<void>(::pipe(ends)); }
        ~Pipe() override { ::close(ends[0]), ::close(ends[1]); }
        int Descriptor() override { return ends[0]; }
        short Events() override { return POLLIN; }
        std::optional<std::uint64_t> Timeout() override { return due; }
        void Dispatch() override {
            char drained[8];
            pollfd ready{ends[0], POLLIN, 0};
            if (::poll(&ready, 1, 0) > 0) dispatched += static_cast<int>(::read(ends[0], drained, sizeof(drained)));
        }
        int ends[2] = {-1, -1};
        std::optional<std::uint64_t> due;
        int dispatched = 0;
    } first, second;
    first.due = 900;
    second.due = 500;
    CombinedEvents events;
    events.Add(first);
    events.Add(second);
    EXPECT_EQ(events.Timeout(), 500u);
    pollfd watched{events.Descriptor(), events.Events(), 0};
    EXPECT_EQ(::poll(&watched, 1, 0), 0) << "nothing to read yet";
    ASSERT_EQ(::write(second.ends[1], "xy", 2), 2);
    watched.events = events.Events();
    EXPECT_EQ(::poll(&watched, 1, 1000), 1);
    events.Dispatch();
    EXPECT_EQ(second.dispatched, 2);
    EXPECT_EQ(first.dispatched, 0);
    watched.events = events.Events();
    EXPECT_EQ(::poll(&watched, 1, 0), 0) << "read: quiet again";
}

}  // namespace
}  // namespace zintra::platform::linux_x11
