#include "platform/linux/DetachedProcess.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace zintra::platform::linux_x11 {

bool StartDetached(const char* program, const std::string& argument) {
    std::vector<char> name(program, program + std::strlen(program) + 1);
    std::vector<char> text(argument.begin(), argument.end());
    text.push_back('\0');
    char* argv[] = {name.data(), text.data(), nullptr};
    pid_t child = 0;
    // posix_spawnp reports a program that cannot be executed as its own result.
    const int error = posix_spawnp(&child, program, nullptr, nullptr, argv, environ);
    if (error != 0) {
        std::fprintf(stderr, "zintra: cannot start %s: %s\n", program, std::strerror(error));
        return false;
    }
    // Some openers wait until the browser or installer closes: reap it on a
    // thread of its own, never on the user-interface thread.
    std::thread([child] {
        int status = 0;
        waitpid(child, &status, 0);
    }).detach();
    return true;
}

}  // namespace zintra::platform::linux_x11
