#include "ui/core/SApplication.h"

#include <cassert>

#include "ui/core/Backend.h"
#include "ui/core/Log.h"
#include "ui/core/SWindow.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {
SApplication* instance = nullptr;
}  // namespace

SApplication::SApplication(Backend& backend, std::u16string hostClassName)
    : backend_(backend), hostClassName_(std::move(hostClassName)) {
    instance = this;
}

SApplication::~SApplication() {
    if (instance == this) instance = nullptr;
}

SApplication* SApplication::Instance() { return instance; }

Backend& CurrentBackend() {
    // Windows exist only while the toolkit runs.
    assert(instance != nullptr);
    return instance->GetBackend();
}

ResourcePackage* SApplication::AddResProvider(std::unique_ptr<ResourcePackage> provider) {
    if (!provider) return nullptr;
    providers_.push_back(std::move(provider));
    return providers_.back().get();
}

std::optional<std::string> SApplication::LoadResource(std::string_view typeAndName) const {
    for (const auto& provider : providers_) {
        if (auto bytes = provider->Load(typeAndName)) return bytes;
    }
    return std::nullopt;
}

bool SApplication::LoadUiDefinitions(std::string_view typeAndName, const ResourcePackage* from) {
    const auto load = [&](std::string_view name) -> std::optional<std::string> {
        if (from != nullptr) {
            if (auto bytes = from->Load(name)) return bytes;
        }
        return LoadResource(name);
    };
    const auto document = load(typeAndName);
    if (!document) {
        Log("start-up definition [%s] was not found", std::string(typeAndName).c_str());
        return false;
    }
    return definitions_.Load(*document, load);
}

std::uintptr_t SApplication::LoadIcon(std::string_view nameAndSize) const {
    const auto colon = nameAndSize.rfind(':');
    std::string_view name = nameAndSize;
    int size = 0;
    if (colon != std::string_view::npos) {
        name = nameAndSize.substr(0, colon);
        size = ParseIntOr(nameAndSize.substr(colon + 1), 0);
    }
    if (name.empty() || size < 0 || size > 256) return 0;
    for (const auto& provider : providers_) {
        if (const std::uintptr_t icon = backend_.LoadIcon(*provider, name, size)) return icon;
    }
    return 0;
}

void SApplication::RegisterWindowClass(std::string tag, WindowFactory factory) {
    if (!factory) return;
    factories_[std::move(tag)] = std::move(factory);
}

std::unique_ptr<SWindow> SApplication::CreateWindowByTag(std::string_view tag) const {
    auto it = factories_.find(tag);
    if (it == factories_.end()) return nullptr;
    return it->second();
}

int SApplication::Run(platform::NativeWindow mainWindow) {
    mainWindow_ = mainWindow;
    if (mainWindow == 0) return 0;
    return backend_.RunMessageLoop();
}

void SApplication::OnHostDestroyed(platform::NativeWindow window) {
    if (window == 0 || window != mainWindow_) return;
    mainWindow_ = 0;
    backend_.PostQuitMessage(0);
}

}  // namespace zintra::ui
