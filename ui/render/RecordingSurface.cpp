#include "ui/render/RecordingSurface.h"

namespace zintra::ui {

using Kind = RecordingSurface::Command::Kind;

void RecordingSurface::FillRect(const platform::Rect& rect, Color color) {
    commands_.push_back({Kind::Fill, rect, color, {}, {}, {}, 0});
}

void RecordingSurface::FrameRect(const platform::Rect& rect, Color color, int width) {
    commands_.push_back({Kind::Frame, rect, color, {}, {}, {}, width});
}

void RecordingSurface::DrawLine(platform::Point from, platform::Point to, Color color, int width) {
    commands_.push_back({Kind::Line, {from.x, from.y, to.x, to.y}, color, {}, {}, {}, width});
}

void RecordingSurface::DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                                std::uint32_t textMode) {
    commands_.push_back({Kind::Text, rect, color, text, font, {}, static_cast<int>(textMode)});
}

void RecordingSurface::DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) {
    commands_.push_back({Kind::Skin, rect, Color{0, 0, 0, alpha}, {}, {}, skin.name, state});
}

void RecordingSurface::PushClip(const platform::Rect& rect) { commands_.push_back({Kind::PushClip, rect, {}, {}, {}, {}, 0}); }

void RecordingSurface::PopClip() { commands_.push_back({Kind::PopClip, {}, {}, {}, {}, {}, 0}); }

const RecordingSurface::Command* RecordingSurface::FindText(const std::u16string& text) const {
    for (const auto& command : commands_) {
        if (command.kind == Kind::Text && command.text == text) return &command;
    }
    return nullptr;
}

const RecordingSurface::Command* RecordingSurface::FindSkin(const std::string& skin) const {
    for (const auto& command : commands_) {
        if (command.kind == Kind::Skin && command.skin == skin) return &command;
    }
    return nullptr;
}

}  // namespace zintra::ui
