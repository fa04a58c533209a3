// Fuzzes the layout loader: any bytes as a window's layout must give a window
// or none, never a crash, and a window built from them must survive layout,
// painting, mouse and keys, and destruction.
//   cmake -DZINTRA_FUZZ=ON (with clang and the sanitize build), then
//   build/sanitize/tests/zintra_fuzz_layout tests/fuzz/corpus/layout -max_total_time=60
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "sim/SimDesktop.h"
#include "res/ProgramResources.h"
#include "ui/controls/BuiltinControls.h"
#include "ui/core/Log.h"
#include "ui/render/RecordingSurface.h"
#include "ui/core/SApplication.h"
#include "ui/controls/SComboBoxEx.h"
#include "ui/core/SHostWnd.h"
#include "ui/controls/SListBoxEx.h"
#include "sim/headless/HeadlessBackend.h"

namespace {

using namespace zintra;

// The layout under test, served as "LAYOUT:FUZZ" ahead of the program's own.
class FuzzPackage final : public ui::ResourcePackage {
public:
    std::string layout;
    using ui::ResourcePackage::Load;
    std::optional<std::string> Load(std::string_view type, std::string_view name) const override {
        if (type == "LAYOUT" && name == "FUZZ") return layout;
        return std::nullopt;
    }
};

struct Toolkit {
    sim::SimDesktop desktop;
    ui::HeadlessBackend backend{desktop};
    std::unique_ptr<ui::SApplication> application;
    FuzzPackage* package = nullptr;

    Toolkit() {
        platform::SetCurrent(&desktop);
        ui::SetLogSink([](const std::string&) {});
        application = std::make_unique<ui::SApplication>(backend);
        ui::RegisterBuiltinControls(*application);
        auto fuzz = std::make_unique<FuzzPackage>();
        package = fuzz.get();
        application->AddResProvider(std::move(fuzz));
        application->AddResProvider(CreateProgramResources());
        application->LoadUiDefinitions("uidef:xml_init");
        application->RegisterWindowClass<ui::SComboBoxEx>();
        application->RegisterWindowClass<ui::SListBoxEx>();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Toolkit toolkit;
    toolkit.package->layout.assign(reinterpret_cast<const char*>(data), size);
    ui::SHostWnd host("LAYOUT:FUZZ");
    if (host.Create() == 0) return 0;
    ui::RecordingSurface surface;
    host.Paint(surface);
    const auto send = [&](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        toolkit.desktop.SendMessage(host.GetHwnd(), message, wParam, lParam);
    };
    for (int y = 0; y < 300; y += 37) {
        for (int x = 0; x < 400; x += 53) {
            const auto at = msg::MakePointParam(x, y);
            send(msg::kMouseMove, 0, at);
            send(msg::kLButtonDown, msg::kMkLButton, at);
            send(msg::kLButtonUp, 0, at);
            send(msg::kChar, u'7', 1);
        }
    }
    send(msg::kKeyDown, msg::kVkTab, 1);
    send(msg::kKeyDown, msg::kVkDelete, 1);
    send(msg::kChar, u'\b', 1);
    host.Paint(surface);
    host.DestroyWindow();
    return 0;
}
