// The toolkit's one application object: resource providers, the start-up
// definition, named control ids, the control classes by layout tag and the
// backend. Controls and hosts reach it through Instance().
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"
#include "ui/core/NamedIds.h"
#include "ui/core/ResourcePackage.h"
#include "ui/core/UiDefinitions.h"

namespace zintra::ui {

class Backend;
class SWindow;

using WindowFactory = std::function<std::unique_ptr<SWindow>()>;

class SApplication {
public:
    // `hostClassName` is the native class name of host windows.
    explicit SApplication(Backend& backend, std::u16string hostClassName = u"ZUIHOST");
    ~SApplication();
    SApplication(const SApplication&) = delete;
    SApplication& operator=(const SApplication&) = delete;

    // The application object alive now, or null.
    static SApplication* Instance();

    Backend& GetBackend() const { return backend_; }
    const std::u16string& HostClassName() const { return hostClassName_; }

    // ---- Resources ----
    ResourcePackage* AddResProvider(std::unique_ptr<ResourcePackage> provider);
    // "type:name" from the first provider that has it.
    std::optional<std::string> LoadResource(std::string_view typeAndName) const;
    // Applies the start-up definition (such as "uidef:xml_init") from `from`,
    // or from the providers when null. Returns whether it could be read.
    bool LoadUiDefinitions(std::string_view typeAndName, const ResourcePackage* from = nullptr);
    const UiDefinitions& Definitions() const { return definitions_; }
    // An icon given as "name:size" (such as "ICON_LOGO:16"); 0 when none loads.
    std::uintptr_t LoadIcon(std::string_view nameAndSize) const;

    // ---- Control classes and ids ----
    // The core knows no control class: the toolkit's own come with
    // RegisterBuiltinControls (ui/controls/BuiltinControls.h), the
    // program's after them.
    void RegisterWindowClass(std::string tag, WindowFactory factory);
    template <class T>
    void RegisterWindowClass() {
        RegisterWindowClass(T::kClassName, [] { return std::make_unique<T>(); });
    }
    // A control for a layout tag; null for an unknown tag.
    std::unique_ptr<SWindow> CreateWindowByTag(std::string_view tag) const;
    void SetNamedIds(const std::vector<NamedId>& table) { namedIds_.Set(table); }
    const NamedIds& GetNamedIds() const { return namedIds_; }

    // ---- Message loop ----
    // Runs the message loop until the window `mainWindow` has been destroyed;
    // returns the loop's exit code.
    int Run(platform::NativeWindow mainWindow);
    // Host windows report their destruction; the main one ends the loop.
    void OnHostDestroyed(platform::NativeWindow window);

private:
    Backend& backend_;
    std::u16string hostClassName_;
    std::vector<std::unique_ptr<ResourcePackage>> providers_;
    UiDefinitions definitions_;
    NamedIds namedIds_;
    std::map<std::string, WindowFactory, std::less<>> factories_;
    platform::NativeWindow mainWindow_ = 0;
};

}  // namespace zintra::ui
