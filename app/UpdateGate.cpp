#include "app/UpdateGate.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "online/Crypto.h"
#include "online/ServerAddress.h"
#include "online/UpdateCheck.h"
#include "ui/core/Backend.h"
#include "update/UpdateDlg.h"
#include "platform/Messages.h"

namespace zintra {

namespace {

std::atomic<std::int64_t> patienceForTesting{0};

// Checks whose thread has not finished yet: a test process waits for them
// before it ends, so no thread is cut off half way.
std::mutex runningLock;
std::condition_variable runningEnded;
int runningChecks = 0;

}  // namespace

std::chrono::milliseconds UpdateCheckPatience() {
    const std::int64_t shortened = patienceForTesting.load();
    return shortened > 0 ? std::chrono::milliseconds(shortened) : std::chrono::milliseconds(2000);
}

void SetUpdateCheckPatienceForTesting(std::chrono::milliseconds patience) { patienceForTesting = patience.count(); }

bool WaitForUpdateChecksForTesting(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> guard(runningLock);
    return runningEnded.wait_for(guard, limit, [] { return runningChecks == 0; });
}

// What the checking thread and the user-interface thread share. The thread
// holds its own reference, so this outlives the gate when the server is slow.
struct UpdateGate::Shared {
    std::mutex lock;
    std::condition_variable arrived;
    bool done = false;
    bool fetched = false;
    std::string reply;
    // Where to post the late answer; cleared when the gate ends.
    ui::WindowSystem* windows = nullptr;
    platform::NativeWindow window = 0;
};

UpdateGate::UpdateGate() : shared_(std::make_shared<Shared>()) {}

UpdateGate::~UpdateGate() { NotifyWhenAnswered(0); }

void UpdateGate::Start() {
    {
        std::lock_guard<std::mutex> guard(runningLock);
        ++runningChecks;
    }
    std::thread([shared = shared_] {
        std::string reply;
        const bool fetched = FetchUpdateReply(reply);
        {
            std::lock_guard<std::mutex> guard(shared->lock);
            shared->done = true;
            shared->fetched = fetched;
            shared->reply = std::move(reply);
            shared->arrived.notify_all();
            if (shared->windows != nullptr && shared->window != 0) {
                shared->windows->PostMessage(shared->window, kUpdateAnswered, 0, 0);
            }
        }
        ReleaseThreadCryptoState();
        std::lock_guard<std::mutex> guard(runningLock);
        --runningChecks;
        runningEnded.notify_all();
    }).detach();
}

std::optional<bool> UpdateGate::WaitForAnswer(platform::Platform& platform, std::chrono::milliseconds patience,
                                              UpdateDescription& description) {
    {
        std::unique_lock<std::mutex> guard(shared_->lock);
        if (!shared_->arrived.wait_for(guard, patience, [this] { return shared_->done; })) return std::nullopt;
    }
    return TakeAnswer(platform, description);
}

void UpdateGate::NotifyWhenAnswered(platform::NativeWindow window) {
    std::lock_guard<std::mutex> guard(shared_->lock);
    shared_->windows = window != 0 ? &ui::CurrentBackend() : nullptr;
    shared_->window = window;
    if (shared_->done && window != 0) shared_->windows->PostMessage(window, kUpdateAnswered, 0, 0);
}

std::optional<bool> UpdateGate::TakeAnswer(platform::Platform& platform, UpdateDescription& description) {
    std::string reply;
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        if (!shared_->done) return std::nullopt;
        if (!shared_->fetched) return false;  // no server, no offer
        reply = shared_->reply;
    }
    // The registry and the description are read on this thread only.
    return !ReadUpdateReply(platform, reply, description);
}

bool OfferUpdateEndsProgram(OnlineConfig& config) {
    int result = 0;
    {
        UpdateDlg dialog(config);
        result = dialog.DoModal(0);
    }
    return result == 1 || (result == 0 && config.forceUpdate);
}

// A hidden window that receives the late answer on the user-interface thread.
class StartupUpdateCheck::LateAnswerWindow final : public platform::MessageHandler {
public:
    LateAnswerWindow(StartupUpdateCheck& owner, platform::NativeWindow mainWindow)
        : owner_(owner), windows_(ui::CurrentBackend()), mainWindow_(mainWindow) {
        window_ = windows_.CreateMessageWindow(*this);
    }
    ~LateAnswerWindow() override {
        // The toolkit may have ended by now; its backend has not.
        if (window_ != 0) windows_.DestroyWindow(window_);
    }
    platform::NativeWindow Handle() const { return window_; }

    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow, std::uint32_t message, std::uintptr_t,
                                               std::intptr_t) override {
        if (message != UpdateGate::kUpdateAnswered) return std::nullopt;
        if (handled_) return 0;
        handled_ = true;
        OnlineConfig* config = OnlineConfig::Instance();
        UpdateDescription description = *config;
        const std::optional<bool> offered = owner_.gate_.TakeAnswer(owner_.platform_, description);
        static_cast<UpdateDescription&>(*config) = description;
        // Taken, or declined when it is forced: the main window's own close
        // saves the settings and ends the message loop.
        if (offered.value_or(false) && OfferUpdateEndsProgram(*config)) {
            windows_.SendMessage(mainWindow_, msg::kClose, 0, 0);
        }
        return 0;
    }

private:
    StartupUpdateCheck& owner_;
    ui::WindowSystem& windows_;
    platform::NativeWindow mainWindow_ = 0;
    platform::NativeWindow window_ = 0;
    bool handled_ = false;
};

StartupUpdateCheck::StartupUpdateCheck(platform::Platform& platform, std::chrono::milliseconds patience)
    : platform_(platform), patience_(patience) {}

StartupUpdateCheck::~StartupUpdateCheck() {
    gate_.NotifyWhenAnswered(0);  // before its window goes
}

void StartupUpdateCheck::Start() {
    // No record, or no update server for this build: no check.
    if (started_ || OnlineConfig::Instance() == nullptr || UpdateUrl().empty()) return;
    started_ = true;
    gate_.Start();
}

bool StartupUpdateCheck::EndsStart(const std::function<void()>& beforeOffer) {
    OnlineConfig* config = OnlineConfig::Instance();
    Start();
    if (!started_) {
        answered_ = true;
        return false;
    }
    UpdateDescription description = *config;
    const std::optional<bool> offered = gate_.WaitForAnswer(platform_, patience_, description);
    if (!offered) return false;  // the main window first; the answer is handled when it comes
    answered_ = true;
    static_cast<UpdateDescription&>(*config) = description;
    if (!*offered) return false;
    if (beforeOffer) beforeOffer();
    return OfferUpdateEndsProgram(*config);
}

void StartupUpdateCheck::ContinueBeside(platform::NativeWindow mainWindow) {
    if (answered_ || lateWindow_) return;
    lateWindow_ = std::make_unique<LateAnswerWindow>(*this, mainWindow);
    gate_.NotifyWhenAnswered(lateWindow_->Handle());
}

}  // namespace zintra
