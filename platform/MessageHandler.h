// The receiver of a native window's messages. A plain callback type, so the
// simulated desktop and the toolkit's backends can share it.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Types.h"

namespace zintra::platform {

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // Returns the message's result when handled, nothing to let the default
    // handling run.
    virtual std::optional<std::intptr_t> HandleMessage(NativeWindow window, std::uint32_t message,
                                                       std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace zintra::platform
