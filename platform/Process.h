// Process-wide services of the program's start: the single-instance lock, the
// working directory and the component model the shell's drag-and-drop needs.
#pragma once

#include <string>

namespace zintra::platform {

class Process {
public:
    virtual ~Process() = default;
    // Creates the named mutex (no security attributes, not owned) and keeps it
    // until the process ends. Returns false when it already existed, that is
    // when another instance holds it; the new handle is closed then.
    virtual bool CreateSingleInstanceMutex(const std::u16string& name) = 0;
    virtual bool SetCurrentDirectory(const std::u16string& path) = 0;
    virtual void InitializeComponents() = 0;    // OleInitialize
    virtual void UninitializeComponents() = 0;  // OleUninitialize
};

}  // namespace zintra::platform
