#include "ui/core/LayoutPosition.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

// Coordinates stay far from int overflow whatever a layout says.
constexpr int kLimit = 100000;

int Clamp(long long value) { return static_cast<int>(std::clamp<long long>(value, -kLimit, kLimit)); }

std::optional<LayoutPosition::Item> ParseItem(std::string_view text) {
    text = Trim(text);
    LayoutPosition::Item item;
    if (text.empty()) return std::nullopt;
    switch (text.front()) {
        case '-': item.anchor = LayoutPosition::Anchor::Far; text.remove_prefix(1); break;
        case '|': item.anchor = LayoutPosition::Anchor::Center; text.remove_prefix(1); break;
        case '[': item.anchor = LayoutPosition::Anchor::Previous; text.remove_prefix(1); break;
        case '@': item.anchor = LayoutPosition::Anchor::Size; text.remove_prefix(1); break;
        default: break;
    }
    const auto value = ParseInteger(text);
    if (!value) return std::nullopt;
    item.value = Clamp(*value);
    if (item.anchor == LayoutPosition::Anchor::Far && item.value < 0) return std::nullopt;
    return item;
}

}  // namespace

std::optional<LayoutPosition> LayoutPosition::Parse(std::string_view text) {
    LayoutPosition position;
    while (true) {
        if (position.count_ == 4) return std::nullopt;
        const auto comma = text.find(',');
        const auto item = ParseItem(text.substr(0, comma));
        if (!item) return std::nullopt;
        position.items_[position.count_++] = *item;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (position.count_ < 2) return std::nullopt;
    // Sizes only make sense for the far corner.
    if (position.items_[0].anchor == Anchor::Size || position.items_[1].anchor == Anchor::Size) return std::nullopt;
    return position;
}

platform::Rect LayoutPosition::Compute(const platform::Rect& parent, const std::optional<platform::Rect>& previous,
                                       const std::function<platform::Size(int)>& desired) const {
    const auto resolve = [&](const Item& item, bool horizontal, int start) -> long long {
        const long long nearEdge = horizontal ? parent.left : parent.top;
        const long long farEdge = horizontal ? parent.right : parent.bottom;
        switch (item.anchor) {
            case Anchor::Near: return nearEdge + item.value;
            case Anchor::Far: return farEdge - item.value;
            case Anchor::Center: return (nearEdge + farEdge) / 2 + item.value;
            case Anchor::Previous:
                if (!previous) return nearEdge + item.value;
                return (horizontal ? previous->right : previous->bottom) + static_cast<long long>(item.value);
            case Anchor::Size: return static_cast<long long>(start) + item.value;
        }
        return nearEdge;
    };
    platform::Rect rect;
    rect.left = Clamp(resolve(items_[0], true, 0));
    rect.top = Clamp(resolve(items_[1], false, 0));
    int widthHint = -1;
    if (count_ >= 3) {
        rect.right = Clamp(resolve(items_[2], true, rect.left));
        widthHint = std::max(0, rect.right - rect.left);
    }
    if (count_ == 4) {
        rect.bottom = Clamp(resolve(items_[3], false, rect.top));
    }
    if (count_ < 4) {
        const platform::Size size = desired(widthHint);
        if (count_ < 3) rect.right = Clamp(static_cast<long long>(rect.left) + size.width);
        rect.bottom = Clamp(static_cast<long long>(rect.top) + size.height);
    }
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    return rect;
}

std::optional<LayoutOffset> LayoutOffset::Parse(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto parse = [](std::string_view part) -> std::optional<double> {
        part = Trim(part);
        double value = 0;
        const auto result = std::from_chars(part.data(), part.data() + part.size(), value);
        if (result.ec != std::errc() || result.ptr != part.data() + part.size() || !std::isfinite(value)) return std::nullopt;
        return std::clamp(value, -4.0, 4.0);
    };
    const auto x = parse(text.substr(0, comma));
    const auto y = parse(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return LayoutOffset{*x, *y};
}

}  // namespace zintra::ui
