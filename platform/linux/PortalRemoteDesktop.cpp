#include "platform/linux/PortalRemoteDesktop.h"

#include <systemd/sd-bus.h>

#include <cstdio>

#include "base/ProgramKey.h"
#include "platform/Messages.h"
#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kRemoteDesktop = "org.freedesktop.portal.RemoteDesktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
constexpr char16_t kRestoreTokenValue[] = u"PortalRestoreToken";
constexpr std::uint32_t kPointerDevice = 2;
constexpr std::uint32_t kMonitorSource = 1;
constexpr std::uint32_t kPersistUntilRevoked = 2;
constexpr std::int32_t kLeftButtonCode = 0x110;   // BTN_LEFT
constexpr std::int32_t kRightButtonCode = 0x111;  // BTN_RIGHT

int NoArguments(sd_bus_message*) { return 0; }

}  // namespace

PortalRemoteDesktop::~PortalRemoteDesktop() {
    sd_bus_slot_unref(versionCall_);
    sd_bus_slot_unref(closedMatch_);
}

void PortalRemoteDesktop::Attach(SessionBus& bus, Registry& store) {
    bus_ = &bus;
    store_ = &store;
    if (bus.Get() == nullptr || !bus.CanReach(kPortalService)) problem_ = kNoPortalProblem;
}

void PortalRemoteDesktop::PrepareRun(std::function<void(bool ready)> done) {
    if (state_ == State::Started) {
        // Fixed points may have been refused for the last run; each run checks again.
        problem_.clear();
        done(true);
        return;
    }
    waiting_.push_back(std::move(done));
    if (state_ == State::Idle) Ask();
}

void PortalRemoteDesktop::Ask() {
    state_ = State::Asking;
    problem_.clear();
    sd_bus* bus = bus_ != nullptr ? bus_->Get() : nullptr;
    // The version decides whether the permission may be remembered; a bus
    // without the portal answers this with an error.
    if (bus == nullptr || sd_bus_call_method_async(bus, &versionCall_, kPortalService, kPortalPath,
                                                   "org.freedesktop.DBus.Properties", "Get",
                                                   &PortalRemoteDesktop::OnVersion, this, "ss", kRemoteDesktop,
                                                   "version") < 0) {
        Answer(false, kNoPortalProblem);
    }
}

int PortalRemoteDesktop::OnVersion(sd_bus_message* reply, void* data, sd_bus_error*) {
    auto& self = *static_cast<PortalRemoteDesktop*>(data);
    self.versionCall_ = sd_bus_slot_unref(self.versionCall_);
    if (sd_bus_message_is_method_error(reply, nullptr) || sd_bus_message_read(reply, "v", "u", &self.version_) < 0) {
        self.Answer(false, kNoPortalProblem);
        return 0;
    }
    self.CreateSession();
    return 0;
}

bool PortalRemoteDesktop::Request(const char* interface, const char* method,
                                  const std::function<int(sd_bus_message*)>& before,
                                  const std::function<int(sd_bus_message*)>& options,
                                  PortalRequests::Response response) {
    const bool sent = requests_.Call(
        bus_->Get(), interface, method,
        [&](sd_bus_message* call, const std::string& token) {
            int r = before(call);
            if (r >= 0) r = sd_bus_message_open_container(call, 'a', "{sv}");
            if (r >= 0) r = PortalRequests::AppendHandleToken(call, token);
            if (r >= 0) r = options(call);
            if (r >= 0) r = sd_bus_message_close_container(call);
            return r;
        },
        std::move(response));
    if (!sent) Answer(false, kNoPortalProblem);
    return sent;
}

void PortalRemoteDesktop::CreateSession() {
    Request(kRemoteDesktop, "CreateSession", NoArguments,
            [](sd_bus_message* call) { return sd_bus_message_append(call, "{sv}", "session_handle_token", "s", "zintra"); },
            [this](std::uint32_t code, sd_bus_message* results) {
                if (code != portal::kGranted) return Answer(false, code == portal::kNoPortal ? kNoPortalProblem
                                                                                            : kPortalRefusedProblem);
                ReadVardict(results, [this](const std::string& key, sd_bus_message* value) {
                    const char* handle = nullptr;
                    // Documented as a string; some portals send an object path.
                    if (key == "session_handle" && (sd_bus_message_read(value, "s", &handle) >= 0 ||
                                                    sd_bus_message_read(value, "o", &handle) >= 0)) {
                        session_ = handle;
                    }
                });
                if (session_.empty()) return Answer(false, kPortalRefusedProblem);
                sd_bus_match_signal_async(bus_->Get(), &closedMatch_, nullptr, session_.c_str(),
                                          "org.freedesktop.portal.Session", "Closed", &PortalRemoteDesktop::OnClosed,
                                          nullptr, this);
                SelectDevices();
            });
}

void PortalRemoteDesktop::SelectDevices() {
    const std::string token = version_ >= 2 ? StoredToken() : std::string();
    Request(
        kRemoteDesktop, "SelectDevices",
        [this](sd_bus_message* call) { return sd_bus_message_append(call, "o", session_.c_str()); },
        [this, token](sd_bus_message* call) {
            int r = sd_bus_message_append(call, "{sv}", "types", "u", kPointerDevice);
            // Version 2 remembers the permission until the user takes it back.
            if (r >= 0 && version_ >= 2) r = sd_bus_message_append(call, "{sv}", "persist_mode", "u", kPersistUntilRevoked);
            if (r >= 0 && !token.empty()) r = sd_bus_message_append(call, "{sv}", "restore_token", "s", token.c_str());
            return r;
        },
        [this](std::uint32_t code, sd_bus_message*) {
            if (code != portal::kGranted) return Answer(false, kPortalRefusedProblem);
            SelectSources();
        });
}

void PortalRemoteDesktop::SelectSources() {
    Request(
        kScreenCast, "SelectSources",
        [this](sd_bus_message* call) { return sd_bus_message_append(call, "o", session_.c_str()); },
        [](sd_bus_message* call) {
            int r = sd_bus_message_append(call, "{sv}", "types", "u", kMonitorSource);
            if (r >= 0) r = sd_bus_message_append(call, "{sv}", "multiple", "b", 1);
            return r;
        },
        // Without a screen cast only fixed points are lost: clicks at the pointer still work.
        [this](std::uint32_t, sd_bus_message*) { Start(); });
}

void PortalRemoteDesktop::Start() {
    Request(
        kRemoteDesktop, "Start",
        [this](sd_bus_message* call) { return sd_bus_message_append(call, "os", session_.c_str(), ""); },
        [](sd_bus_message*) { return 0; },
        [this](std::uint32_t code, sd_bus_message* results) {
            if (code != portal::kGranted) return Answer(false, kPortalRefusedProblem);
            OnStarted(results);
        });
}

void PortalRemoteDesktop::OnStarted(sd_bus_message* results) {
    streams_.clear();
    ReadVardict(results, [this](const std::string& key, sd_bus_message* value) {
        if (key == "restore_token") {
            const char* token = nullptr;
            if (sd_bus_message_read(value, "s", &token) >= 0) StoreToken(token);
        } else if (key == "streams" && sd_bus_message_enter_container(value, 'a', "(ua{sv})") >= 0) {
            while (sd_bus_message_enter_container(value, 'r', "ua{sv}") > 0) {
                PortalStream stream;
                sd_bus_message_read(value, "u", &stream.node);
                ReadVardict(value, [&stream](const std::string& name, sd_bus_message* property) {
                    std::int32_t a = 0, b = 0;
                    if ((name == "position" || name == "size") && sd_bus_message_read(property, "(ii)", &a, &b) >= 0) {
                        if (name == "position") stream.position = Point{a, b};
                        else stream.size = Size{a, b};
                    }
                });
                sd_bus_message_exit_container(value);
                streams_.push_back(stream);
            }
            sd_bus_message_exit_container(value);
        }
    });
    state_ = State::Started;
    Answer(true, {});
}

void PortalRemoteDesktop::Answer(bool ready, const std::string& problem) {
    if (!ready) {
        EndSession();
        problem_ = problem;
        std::fprintf(stderr, "zintra: %s\n", problem.c_str());
    }
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& done : waiting) done(ready);
}

void PortalRemoteDesktop::EndSession() {
    requests_.Clear();
    if (!session_.empty() && state_ != State::Idle && bus_ != nullptr && bus_->Get() != nullptr) {
        sd_bus_call_method_async(bus_->Get(), nullptr, kPortalService, session_.c_str(),
                                 "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
    }
    closedMatch_ = sd_bus_slot_unref(closedMatch_);
    session_.clear();
    streams_.clear();
    held_ = 0;  // the desktop lets a closed session's buttons go
    state_ = State::Idle;
}

int PortalRemoteDesktop::OnClosed(sd_bus_message*, void* data, sd_bus_error*) {
    auto& self = *static_cast<PortalRemoteDesktop*>(data);
    // Closed by the desktop: nothing to close on our side.
    self.session_.clear();
    self.held_ = 0;
    self.Answer(false, kPortalClosedProblem);
    return 0;
}

std::uint32_t PortalRemoteDesktop::SendMouseEvents(const MouseEvent* events, std::uint32_t count) {
    if (state_ != State::Started) return 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const MouseEvent& e = events[i];
        // A click at the pointer carries an absolute position without moving: it stays where it is.
        if ((e.flags & msg::kMouseEventMove) != 0) {
            Motion(e);
            if (!problem_.empty()) return i;
        }
        if (e.flags & kLeftButton.downFlag) Button(kLeftButtonCode, 1);
        if (e.flags & kLeftButton.upFlag) Button(kLeftButtonCode, 0);
        if (e.flags & kRightButton.downFlag) Button(kRightButtonCode, 1);
        if (e.flags & kRightButton.upFlag) Button(kRightButtonCode, 0);
    }
    return count;
}

void PortalRemoteDesktop::Motion(const MouseEvent& event) {
    // The exact inverse of the program's normalisation to 0..65535.
    const auto denormalise = [](std::int32_t value, std::int32_t origin, std::int32_t extent) {
        return origin + static_cast<int>((static_cast<std::int64_t>(value) * extent + 65535) / 65536);
    };
    Point point{event.dx, event.dy};
    if ((event.flags & msg::kMouseEventAbsolute) != 0) {
        const bool desktop = (event.flags & msg::kMouseEventVirtualDesk) != 0;
        const Rect area = desktop ? VirtualDesktop() : Rect{0, 0, PrimaryScreenSize().width, PrimaryScreenSize().height};
        point = {denormalise(event.dx, area.left, area.Width()), denormalise(event.dy, area.top, area.Height())};
    } else {
        const Point at = CursorPosition();
        point = {at.x + event.dx, at.y + event.dy};
    }
    const auto target = MapToStream(streams_, point);
    if (!target) {
        problem_ = kNoStreamProblem;
        std::fprintf(stderr, "zintra: %s\n", problem_.c_str());
        return;
    }
    sd_bus_call_method_async(bus_->Get(), nullptr, kPortalService, kPortalPath, kRemoteDesktop,
                             "NotifyPointerMotionAbsolute", nullptr, nullptr, "oa{sv}udd", session_.c_str(), 0,
                             target->node, target->x, target->y);
}

void PortalRemoteDesktop::EndRun() {
    if (state_ != State::Started) return;
    if (held_ & kHeldLeft) Button(kLeftButtonCode, 0);
    if (held_ & kHeldRight) Button(kRightButtonCode, 0);
}

void PortalRemoteDesktop::Button(std::int32_t code, std::uint32_t state) {
    // A held button is pressed once and released once: the desktop keeps
    // each device's buttons apart, so only we can let it go.
    const unsigned bit = code == kLeftButtonCode ? kHeldLeft : kHeldRight;
    if (((held_ & bit) != 0) == (state != 0)) return;
    held_ ^= bit;
    sd_bus_call_method_async(bus_->Get(), nullptr, kPortalService, kPortalPath, kRemoteDesktop, "NotifyPointerButton",
                             nullptr, nullptr, "oa{sv}iu", session_.c_str(), 0, code, state);
}

std::string PortalRemoteDesktop::StoredToken() {
    ScopedRegistryKey key(*store_);
    if (store_->OpenKey(RegistryRoot::CurrentUser, kProgramKeyPath, key.Receive()) != reg::kSuccess) return {};
    char16_t text[512] = {};
    std::uint32_t type = 0, size = sizeof(text) - sizeof(char16_t);
    if (store_->QueryValue(key.Get(), kRestoreTokenValue, &type, text, &size) != reg::kSuccess || type != reg::kSz) {
        return {};
    }
    return ToUtf8(std::u16string(text, size / sizeof(char16_t)).c_str());
}

void PortalRemoteDesktop::StoreToken(const std::string& token) {
    ScopedRegistryKey key(*store_);
    if (store_->CreateKey(RegistryRoot::CurrentUser, kProgramKeyPath, key.Receive()) != reg::kSuccess) return;
    const std::u16string text = FromUtf8(token);
    store_->SetValue(key.Get(), kRestoreTokenValue, reg::kSz, text.c_str(),
                     static_cast<std::uint32_t>((text.size() + 1) * sizeof(char16_t)));
    store_->FlushKey(key.Get());
}

}  // namespace zintra::platform::linux_x11
