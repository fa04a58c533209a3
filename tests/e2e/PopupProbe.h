// Test-only pop-ups for the UI gallery: a two-row pop-up with a one-row
// sub-pop-up that opens to its right while the pointer is on the second row,
// and a passive tip, so the backend's pop-up windows and loop can be driven
// and photographed without the toolkit's menus. What the loop hands over is
// reported line by line ("probe-..." result lines).
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/core/Backend.h"
#include "ui/core/Popups.h"

namespace zintra::gallery {

class PopupProbe final : public ui::PopupInput {
public:
    using Reporter = std::function<void(const std::string&)>;
    PopupProbe(ui::Backend& backend, Reporter report) : backend_(backend), report_(std::move(report)) {}

    // Opens the pop-up with its corner at a screen point and runs the loop until it closes.
    void Run(platform::Point at, platform::NativeWindow owner);
    // Shows a passive tip at a screen point; it stays until the program ends.
    void ShowTip(platform::Point at, platform::NativeWindow owner);

    void PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point screen) override;
    void PopupCancelled() override;

private:
    // Fills its window with one colour per row of 30 pixels.
    class Rows final : public ui::PopupContent {
    public:
        explicit Rows(std::initializer_list<unsigned> colours) : colours_(colours) {}
        void PaintPopup(ui::Surface& surface) override;

    private:
        std::vector<unsigned> colours_;
    };

    void OpenSub();
    void CloseAll(const std::string& why);

    ui::Backend& backend_;
    Reporter report_;
    Rows root_{0xC03030, 0x3030C0};
    Rows sub_{0x30A030};
    Rows tip_{0xFFFFE1};
    platform::Rect rootRect_;
    platform::Rect subRect_;
    platform::NativeWindow rootWindow_ = 0;
    platform::NativeWindow subWindow_ = 0;
    platform::NativeWindow owner_ = 0;
    bool open_ = false;
};

}  // namespace zintra::gallery
