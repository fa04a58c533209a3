// The answer to one call on the accessibility bus, built piece by piece and
// freed however the handler leaves.
#pragma once

#include <string>
#include <utility>

typedef struct sd_bus_message sd_bus_message;

namespace zintra::ui {

class AtspiReply {
public:
    explicit AtspiReply(sd_bus_message* call);
    ~AtspiReply();
    AtspiReply(const AtspiReply&) = delete;
    AtspiReply& operator=(const AtspiReply&) = delete;

    sd_bus_message* Message() const { return reply_; }
    // Appends an object reference, (so).
    void Reference(const std::pair<std::string, std::string>& reference);
    // Sends it: what a method handler returns (1, or a negative error).
    int Send();

private:
    sd_bus_message* reply_ = nullptr;
    int failed_ = 0;
};

}  // namespace zintra::ui
