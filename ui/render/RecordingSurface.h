// A surface that keeps every drawing command, so tests can see what a window
// painted without pixels.
#pragma once

#include <string>
#include <vector>

#include "ui/render/Surface.h"

namespace zintra::ui {

class RecordingSurface final : public Surface {
public:
    struct Command {
        enum class Kind { Fill, Frame, Line, Text, Skin, PushClip, PopClip } kind;
        platform::Rect rect;
        Color color;
        std::u16string text;
        Font font;
        std::string skin;
        int state = 0;
    };

    void FillRect(const platform::Rect& rect, Color color) override;
    void FrameRect(const platform::Rect& rect, Color color, int width) override;
    void DrawLine(platform::Point from, platform::Point to, Color color, int width) override;
    void DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                  std::uint32_t textMode) override;
    void DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) override;
    void PushClip(const platform::Rect& rect) override;
    void PopClip() override;

    const std::vector<Command>& Commands() const { return commands_; }
    // The first text command drawing exactly `text`, or null.
    const Command* FindText(const std::u16string& text) const;
    const Command* FindSkin(const std::string& skin) const;

private:
    std::vector<Command> commands_;
};

}  // namespace zintra::ui
