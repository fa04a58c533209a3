#include "ui/x11/X11TextInput.h"

#include <algorithm>
#include <vector>

namespace zintra::ui {

std::string LookupTypedText(const TextLookup& lookup) {
    std::vector<char> buffer(64);
    Status status = 0;
    int length = lookup(buffer.data(), static_cast<int>(buffer.size()), status);
    if (status == XBufferOverflow && length > 0) {
        // The commit waits in the input context until it is read in full.
        buffer.resize(static_cast<std::size_t>(length) + 1);
        length = lookup(buffer.data(), static_cast<int>(buffer.size()), status);
    }
    if ((status != XLookupChars && status != XLookupBoth) || length <= 0) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(std::min<int>(length, static_cast<int>(buffer.size()))));
}

}  // namespace zintra::ui
