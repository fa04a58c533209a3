#include "ui/core/SHostWnd.h"

#include <algorithm>

#include "platform/Messages.h"
#include "ui/core/Accessible.h"
#include "ui/core/Backend.h"
#include "ui/core/KeyboardNavigation.h"
#include "ui/core/Log.h"
#include "ui/core/SApplication.h"
#include "ui/render/Surface.h"

namespace zintra::ui {

namespace {
const HostAttributes kNoAttributes;
const StyleSheet kNoStyles;
}  // namespace

SHostWnd::SHostWnd(std::string layoutName) : layoutName_(std::move(layoutName)) {}

SHostWnd::~SHostWnd() {
    if (hwnd_ != 0) DestroyWindow();
}

platform::NativeWindow SHostWnd::Create(platform::NativeWindow parent, int x, int y, int width, int height) {
    SApplication* application = SApplication::Instance();
    if (application == nullptr || hwnd_ != 0) return 0;
    const auto bytes = application->LoadResource(layoutName_);
    if (!bytes) {
        Log("layout [%s] was not found", layoutName_.c_str());
        return 0;
    }
    document_ = LayoutDocument::Parse(*bytes, *application);
    if (!document_) {
        Log("layout [%s] could not be read", layoutName_.c_str());
        return 0;
    }
    const HostAttributes& attributes = document_->Attributes();
    clientSize_ = {width > 0 ? width : attributes.width, height > 0 ? height : attributes.height};
    HostWindowSpec spec;
    spec.className = application->HostClassName();
    spec.title = attributes.title;
    spec.parent = parent;
    spec.rect = {x, y, x + clientSize_.width, y + clientSize_.height};
    spec.toolWindow = attributes.toolWindow;
    spec.translucent = attributes.translucent;
    spec.resizable = attributes.resizable;
    spec.appWindow = attributes.appWnd || attributes.appMainWnd;
    const platform::NativeWindow window = application->GetBackend().CreateHostWindow(*this, spec);
    if (window == 0) {
        ReleaseTree();
        released_.clear();
        document_.reset();
        hwnd_ = 0;
        return 0;
    }
    hwnd_ = window;
    return window;
}

void SHostWnd::DestroyWindow() {
    if (hwnd_ == 0) return;
    const platform::NativeWindow window = hwnd_;
    if (Backend* backend = GetBackend()) backend->DestroyHostWindow(window);
    // The backend delivered WM_DESTROY; make sure nothing refers to the window.
    if (root_) ReleaseTree();
    hwnd_ = 0;
}

const HostAttributes& SHostWnd::GetHostAttributes() const { return document_ ? document_->Attributes() : kNoAttributes; }

const StyleSheet& SHostWnd::LocalStyles() const { return document_ ? document_->Styles() : kNoStyles; }

Backend* SHostWnd::GetBackend() const {
    SApplication* application = SApplication::Instance();
    return application == nullptr ? nullptr : &application->GetBackend();
}

bool SHostWnd::ShowWindow(int showCommand) {
    Backend* backend = GetBackend();
    if (hwnd_ == 0 || backend == nullptr) return false;
    const bool wasVisible = IsWindowVisible();
    backend->ShowHostWindow(hwnd_, showCommand);
    return wasVisible;
}

bool SHostWnd::IsWindowVisible() const {
    Backend* backend = GetBackend();
    return hwnd_ != 0 && backend != nullptr && backend->IsWindowVisible(hwnd_);
}

platform::Rect SHostWnd::GetWindowRect() const {
    Backend* backend = GetBackend();
    if (hwnd_ == 0 || backend == nullptr) return {};
    return backend->HostWindowRect(hwnd_);
}

void SHostWnd::MoveWindow(const platform::Rect& screenRect) {
    if (Backend* backend = GetBackend(); backend != nullptr && hwnd_ != 0) backend->MoveHostWindow(hwnd_, screenRect);
}

void SHostWnd::CenterWindow() {
    Backend* backend = GetBackend();
    if (backend == nullptr || hwnd_ == 0) return;
    // On the window's own monitor, in its pixels.
    const platform::Rect area = backend->WorkArea(hwnd_);
    const platform::Rect rect = GetWindowRect();
    const int left = area.left + (area.Width() - rect.Width()) / 2;
    const int top = area.top + (area.Height() - rect.Height()) / 2;
    MoveWindow({left, top, left + rect.Width(), top + rect.Height()});
}

platform::Point SHostWnd::ClientToScreen(platform::Point point) const {
    Backend* backend = GetBackend();
    if (backend == nullptr || hwnd_ == 0) return point;
    return backend->ClientToScreen(hwnd_, point);
}

platform::Rect SHostWnd::ClientRectToScreen(const platform::Rect& rect) const {
    Backend* backend = GetBackend();
    if (backend == nullptr || hwnd_ == 0) return rect;
    return backend->ClientRectToScreen(hwnd_, rect);
}

platform::Point SHostWnd::ScreenToClient(platform::Point point) const {
    Backend* backend = GetBackend();
    if (backend == nullptr || hwnd_ == 0) return point;
    return backend->ScreenToClient(hwnd_, point);
}

platform::Point SHostWnd::PointerPixel(platform::Point client, platform::Point pointer) const {
    // A layout unit covers several pixels on a scaled monitor; the pointer
    // says which of them. Elsewhere (or at scale 1) the unit's first pixel.
    if (ScreenToClient(pointer) == client) return pointer;
    return ClientToScreen(client);
}

// ---- Controls ----

SWindow* SHostWnd::FindChildByName(std::string_view name, int depth) const {
    if (!root_ || name.empty()) return nullptr;
    if (root_->GetName() == name) return root_.get();
    return root_->FindChildByName(name, depth);
}

SWindow* SHostWnd::FindChildByID(int id, int depth) const {
    if (!root_) return nullptr;
    if (root_->GetID() == id) return root_.get();
    return root_->FindChildByID(id, depth);
}

// ---- Native services ----

bool SHostWnd::SetTimer(std::uintptr_t id, std::uint32_t milliseconds) {
    if (hwnd_ == 0) return false;
    Backend* backend = GetBackend();
    if (backend == nullptr) return false;
    backend->SetTimer(hwnd_, id, milliseconds);
    return true;
}

void SHostWnd::KillTimer(std::uintptr_t id) {
    if (Backend* backend = GetBackend(); backend != nullptr && hwnd_ != 0) backend->KillTimer(hwnd_, id);
}

bool SHostWnd::PostMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Backend* backend = GetBackend();
    return hwnd_ != 0 && backend != nullptr && backend->PostMessage(hwnd_, message, wParam, lParam);
}

std::intptr_t SHostWnd::SendMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (hwnd_ == 0) return 0;
    Backend* backend = GetBackend();
    return backend != nullptr ? backend->SendMessage(hwnd_, message, wParam, lParam) : 0;
}

// ---- Layout and painting ----

void SHostWnd::EnsureLayout() {
    if (!layoutDirty_ || !root_) return;
    layoutDirty_ = false;
    root_->UpdateLayout({0, 0, clientSize_.width, clientSize_.height}, std::nullopt);
    // Laying out may have asked for another pass (sizes from text); one is enough.
    layoutDirty_ = false;
}

void SHostWnd::Invalidate(const platform::Rect& rect) {
    if (hwnd_ == 0) return;
    if (Backend* backend = GetBackend()) backend->Invalidate(hwnd_, rect);
}

void SHostWnd::Paint(Surface& surface) {
    EnsureLayout();
    if (root_) root_->Paint(surface);
    PaintFocusIndicator(*this, surface);
}

// ---- Events and messages ----

void SHostWnd::OnFireEvent(EventArgs& event) { OnEvent(event); }

void SHostWnd::OnEvent(EventArgs&) {}

std::optional<std::intptr_t> SHostWnd::OnWindowMessage(std::uint32_t, std::uintptr_t, std::intptr_t) {
    return std::nullopt;
}

std::optional<std::intptr_t> SHostWnd::HandleMessage(platform::NativeWindow window, std::uint32_t message,
                                                     std::uintptr_t wParam, std::intptr_t lParam) {
    // The backend delivers WM_CREATE before it hands out the handle.
    if (message == msg::kCreate && hwnd_ == 0) hwnd_ = window;
    // The tooltip's delay is the toolkit's own timer, not the window class's.
    if (message == msg::kTimer && wParam == ToolTipTracker::kTimerId) {
        toolTips_.OnTimer();
        return 0;
    }
    if (message == msg::kTimer && wParam == kAnimationTimerId) {
        StepAnimations();
        return 0;
    }
    switch (message) {
        case msg::kLButtonDown:
        case msg::kLButtonDblClk:
        case msg::kRButtonDown:
        case msg::kMouseWheel:
        case msg::kKeyDown:
        case msg::kSysKeyDown:
            FinishAnimations();
            break;
        default:
            break;
    }
    TrackToolTip(message, wParam);
    ++dispatchDepth_;
    std::optional<std::intptr_t> result = OnWindowMessage(message, wParam, lParam);
    if (!result) result = DefaultMessage(message, wParam, lParam);
    // However the window ends (our DestroyWindow or a native destroy of its
    // handle) and whoever handled the message, the controls go with it.
    if (message == msg::kDestroy) Destroyed();
    if (--dispatchDepth_ == 0) released_.clear();
    return result;
}

std::optional<std::intptr_t> SHostWnd::DefaultMessage(std::uint32_t message, std::uintptr_t wParam,
                                                      std::intptr_t lParam) {
    switch (message) {
        case msg::kCreate:
            if (!BuildTree()) return -1;
            NotifyAccessibleWindow(*this, AccessibleWindowEvent::Opened);
            return 0;
        case msg::kDestroy:
            return 0;
        case msg::kClose:
            DestroyWindow();
            return 0;
        case msg::kMouseMove:
        case msg::kLButtonDown:
        case msg::kLButtonUp:
        case msg::kLButtonDblClk:
        case msg::kMouseWheel:
            RouteMouse(message, lParam, wParam);
            return 0;
        case msg::kMouseLeave:
            UpdateHover(nullptr);
            return 0;
        case msg::kKeyDown:
        case msg::kKeyUp:
        case msg::kChar:
        case msg::kSysKeyDown:
        case msg::kSysKeyUp:
            return RouteKey(message, wParam, lParam);
        default:
            return std::nullopt;
    }
}

bool SHostWnd::BuildTree() {
    SApplication* application = SApplication::Instance();
    if (application == nullptr || !document_) return false;
    root_ = document_->BuildTree(*application, *this);
    layoutDirty_ = true;
    EnsureLayout();
    return true;
}

void SHostWnd::Destroyed() {
    const platform::NativeWindow window = hwnd_;
    NotifyAccessibleWindow(*this, AccessibleWindowEvent::Closed);
    ReleaseTree();
    hwnd_ = 0;
    if (SApplication* application = SApplication::Instance()) application->OnHostDestroyed(window);
}

void SHostWnd::TrackToolTip(std::uint32_t message, std::uintptr_t wParam) {
    switch (message) {
        case msg::kLButtonDown:
        case msg::kLButtonDblClk:
        case msg::kRButtonDown:
        case msg::kMouseWheel:
        case msg::kSysKeyDown:
            toolTips_.Dismiss();
            break;
        case msg::kKeyDown:
            // Shift and Ctrl alone are no key press to the user.
            if (wParam != msg::kVkShift && wParam != msg::kVkControl) toolTips_.Dismiss();
            break;
        case msg::kMouseLeave:
        case msg::kActivateApp:
        case msg::kDestroy:
            toolTips_.OnLeave();
            break;
        default:
            break;
    }
}

void SHostWnd::StartAnimation(SWindow& control) {
    if (std::find(animating_.begin(), animating_.end(), &control) != animating_.end()) return;
    animating_.push_back(&control);
    if (animating_.size() == 1 && !SetTimer(kAnimationTimerId, kAnimationStepMilliseconds)) {
        // Without a window there are no steps: show the end at once.
        animating_.clear();
        control.FinishAnimation();
    }
}

void SHostWnd::StepAnimations() {
    // A step may finish or start other animations; work on a copy.
    const std::vector<SWindow*> running = animating_;
    for (SWindow* control : running) {
        const auto it = std::find(animating_.begin(), animating_.end(), control);
        if (it != animating_.end() && !control->OnAnimationStep()) animating_.erase(it);
    }
    if (animating_.empty()) KillTimer(kAnimationTimerId);
}

void SHostWnd::FinishAnimations() {
    if (animating_.empty()) return;
    const std::vector<SWindow*> running = std::move(animating_);
    animating_.clear();
    KillTimer(kAnimationTimerId);
    for (SWindow* control : running) control->FinishAnimation();
}

void SHostWnd::ReleaseTree() {
    if (!animating_.empty()) {
        animating_.clear();
        KillTimer(kAnimationTimerId);
    }
    focus_ = nullptr;
    capture_ = nullptr;
    hover_ = nullptr;
    if (!root_) return;
    root_->NotifyDestroy();
    if (dispatchDepth_ > 0) {
        released_.push_back(std::move(root_));
    } else {
        root_.reset();
    }
}

}  // namespace zintra::ui
