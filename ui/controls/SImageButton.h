// An image button ("imgbtn"): a skin with normal, hover, pushed and
// optionally disabled states, and an optional text over it.
#pragma once

#include "ui/controls/SButton.h"

namespace zintra::ui {

class SImageButton : public SButton {
    ZUI_CLASS_NAME(SButton, "imgbtn")
};

}  // namespace zintra::ui
