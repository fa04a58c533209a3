// The process-wide record of what the update server said. Created on first
// use at the very start of the program, before any other thread, and never
// destroyed, so a worker still running at exit can read it.
#pragma once

#include <cstdint>
#include <string>

namespace zintra {

struct UpdateDescription {
    bool forceUpdate = false;
    std::int32_t version = 0;
    std::string updateInfo;  // UTF-8
    std::string url;
    std::string fileMd5;     // lower-case hexadecimal
    std::string fileSha256;  // lower-case hexadecimal; empty when not published
};

class OnlineConfig : public UpdateDescription {
public:
    // The record, or null when it could not be created.
    static OnlineConfig* Instance();

private:
    OnlineConfig() = default;
};

}  // namespace zintra
