// The text a key press types, read from the input method: its commit may be
// longer than any buffer picked in advance, so the lookup is repeated with a
// buffer of the size it asks for.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace zintra::ui {

// One call of Xutf8LookupString into `buffer` of `size` bytes: the length it
// gives (or needs, with XBufferOverflow) and its status.
using TextLookup = std::function<int(char* buffer, int size, Status& status)>;

// The UTF-8 text the lookup gives, whatever its length; empty when it gives
// no characters.
std::string LookupTypedText(const TextLookup& lookup);

}  // namespace zintra::ui
