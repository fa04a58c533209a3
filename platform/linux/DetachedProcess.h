// Starting a helper program (the desktop's opener) without waiting for it:
// the user-interface thread must never block on what the helper does next,
// and a helper that ends must not stay behind as a zombie.
#pragma once

#include <string>

namespace zintra::platform::linux_x11 {

// Starts `program` (looked up on PATH) with one argument and returns at once.
// False, with a line on stderr, when it cannot be started (not installed).
bool StartDetached(const char* program, const std::string& argument);

}  // namespace zintra::platform::linux_x11
