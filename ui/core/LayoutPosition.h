// The layouts' position syntax. `pos` holds 2, 3 or 4 comma-separated items
// (left, top[, right[, bottom]]); each item is
//   N    N pixels from the parent's left/top edge
//   -N   N pixels from the parent's right/bottom edge ("-0" is the edge)
//   |N   N pixels from the parent's centre (N may be negative)
//   [N   N pixels after the previous sibling's right/bottom edge
//   @N   (right/bottom only) N pixels wide/high
// Missing right/bottom items take the control's size (`size`, `width`,
// `height`, or what its content needs). `offset="fx,fy"` then moves the
// control by that fraction of its own size, so "-0.5,-0.5" centres it on the
// point. Without `pos` a control fills its parent.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "platform/Types.h"

namespace zintra::ui {

class LayoutPosition {
public:
    enum class Anchor { Near, Far, Center, Previous, Size };
    struct Item {
        Anchor anchor = Anchor::Near;
        int value = 0;
    };

    static std::optional<LayoutPosition> Parse(std::string_view text);
    int Count() const { return count_; }

    // `desired` gives the control's own size for a width (or -1 for none).
    platform::Rect Compute(const platform::Rect& parent, const std::optional<platform::Rect>& previous,
                           const std::function<platform::Size(int widthHint)>& desired) const;

private:
    Item items_[4];
    int count_ = 0;
};

struct LayoutOffset {
    double x = 0;
    double y = 0;
    static std::optional<LayoutOffset> Parse(std::string_view text);
};

}  // namespace zintra::ui
