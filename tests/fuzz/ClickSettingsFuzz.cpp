// Fuzzes the stored settings: any bytes as the MouseData value must load, and
// a run of the click engine with them must neither crash nor misbehave.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "clicker/ClickEngine.h"
#include "clicker/ClickSettings.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/DesktopClickWindow.h"
#include "ui/controls/HotKeyCapture.h"

namespace {

class EngineHost final : public zintra::platform::MessageHandler {
public:
    explicit EngineHost(zintra::ClickEngine& engine) : engine_(engine) {}
    std::optional<std::intptr_t> HandleMessage(zintra::platform::NativeWindow, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t) override {
        if (message == zintra::msg::kTimer) engine_.OnTimer(wParam);
        return 0;
    }

private:
    zintra::ClickEngine& engine_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zintra::sim::SimDesktop desktop;
    desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"MouseData", zintra::platform::reg::kBinary,
                     std::vector<std::uint8_t>(data, data + size));
    zintra::ClickSettings settings;
    settings.Load(desktop);
    {
        zintra::RuntimeRandom random;
        std::unique_ptr<zintra::test::DesktopClickWindow> clickWindow;  // outlives the engine
        zintra::ClickEngine engine(settings, desktop, random);
        EngineHost host(engine);
        const auto window = desktop.CreateMessageWindow(host);
        clickWindow = std::make_unique<zintra::test::DesktopClickWindow>(desktop, window);
        engine.SetWindow(clickWindow.get());
        engine.Toggle();
        desktop.AdvanceBy(2000);
        engine.Toggle();
        desktop.AdvanceBy(100);
        // Fine timing is asked for once per run at most.
        if (desktop.PreciseTimingDepth() < 0 || desktop.PreciseTimingDepth() > 1) __builtin_trap();
        desktop.DestroyWindow(window);
    }
    if (desktop.PreciseTimingDepth() != 0) __builtin_trap();  // and always given back
    (void)settings.HotkeyText();
    (void)zintra::ui::HotKeyCapture::Label(static_cast<std::uint16_t>(settings.hotkeyVk),
                                           static_cast<std::uint16_t>(settings.hotkeyModifiers), desktop.GetKeyboard());
    return 0;
}
