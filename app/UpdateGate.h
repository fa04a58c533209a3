// The update check at start, asked on a thread of its own so that a server
// that accepts the connection and never answers cannot hold the first window
// back: the start waits a short while for the answer (the usual case, which
// still offers a newer build before the main window), and an answer that comes
// later is handled when it arrives, while the main window is up.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "online/OnlineConfig.h"
#include "platform/Platform.h"

namespace zintra {

// How long the start waits for the update server before the main window:
// 2 seconds; tests shorten it (zero restores it).
std::chrono::milliseconds UpdateCheckPatience();
void SetUpdateCheckPatienceForTesting(std::chrono::milliseconds patience);
// Whether every check started so far has finished within `limit`.
bool WaitForUpdateChecksForTesting(std::chrono::milliseconds limit);

class UpdateGate {
public:
    UpdateGate();
    ~UpdateGate();
    UpdateGate(const UpdateGate&) = delete;
    UpdateGate& operator=(const UpdateGate&) = delete;

    // Starts the check on a detached thread that touches only the gate's own
    // state, so it may outlive the gate and the program's windows.
    void Start();

    // Waits at most `patience` for the server. Returns whether the reply named
    // a newer build (filling `description`), or nothing when it has not come.
    std::optional<bool> WaitForAnswer(platform::Platform& platform, std::chrono::milliseconds patience,
                                      UpdateDescription& description);

    // For an answer still to come: posts kUpdateAnswered to `window` when it
    // arrives (at once if it already has). The window's handler then calls
    // TakeAnswer. A window of 0, or the gate's end, cancels it.
    void NotifyWhenAnswered(platform::NativeWindow window);
    std::optional<bool> TakeAnswer(platform::Platform& platform, UpdateDescription& description);

    static constexpr std::uint32_t kUpdateAnswered = 0x0400 + 505;  // WM_USER + 505

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

// The whole gate as the start uses it: shows the update window for an answer
// in time and says whether the start ends there; for a late answer, leaves a
// hidden window behind that offers the update when it comes and, when the
// user takes it or declines a forced one, closes `mainWindow` (which saves the
// settings) so the program ends.
class StartupUpdateCheck {
public:
    explicit StartupUpdateCheck(platform::Platform& platform, std::chrono::milliseconds patience = UpdateCheckPatience());
    ~StartupUpdateCheck();
    StartupUpdateCheck(const StartupUpdateCheck&) = delete;
    StartupUpdateCheck& operator=(const StartupUpdateCheck&) = delete;

    // Sends the question; the program does this as early as it can, so the
    // answer is on its way while the toolkit starts.
    void Start();
    // Before the main window: true when the start ends here. `beforeOffer`
    // runs just before an update window is shown.
    bool EndsStart(const std::function<void()>& beforeOffer = {});
    // Once the main window exists: a late answer is handled beside it.
    void ContinueBeside(platform::NativeWindow mainWindow);

private:
    class LateAnswerWindow;

    platform::Platform& platform_;
    std::chrono::milliseconds patience_;
    UpdateGate gate_;
    bool started_ = false;
    bool answered_ = false;
    std::unique_ptr<LateAnswerWindow> lateWindow_;
};

// Offers the described update in the update window; true when the program
// is to end (the installer started, or a forced update was declined).
bool OfferUpdateEndsProgram(OnlineConfig& config);

}  // namespace zintra
