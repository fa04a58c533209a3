#include "ui/SCaption.h"

#include "ui/Backend.h"
#include "ui/SHostWnd.h"

namespace zintra::ui {

void SCaption::OnLButtonDown(platform::Point point) {
    EventLButtonDown event(point);
    FireEvent(event);
    SHostWnd* host = GetHost();
    Backend* backend = GetBackend();
    if (host != nullptr && backend != nullptr && host->GetHwnd() != 0) backend->BeginWindowDrag(host->GetHwnd());
}

}  // namespace zintra::ui
