// The toolkit's own control classes by layout tag.
#pragma once

namespace zintra::ui {

class SApplication;

void RegisterBuiltinControls(SApplication& application);

}  // namespace zintra::ui
