#include "ui/controls/SCaption.h"

#include "ui/core/Backend.h"
#include "ui/core/SHostWnd.h"

namespace zintra::ui {

void SCaption::OnLButtonDown(platform::Point point) {
    EventLButtonDown event(point);
    FireEvent(event);
    SHostWnd* host = GetHost();
    Backend* backend = GetBackend();
    if (host != nullptr && backend != nullptr && host->GetHwnd() != 0) backend->BeginWindowDrag(host->GetHwnd());
}

}  // namespace zintra::ui
