#include "ui/atspi/AtspiReply.h"

#include <systemd/sd-bus.h>

namespace zintra::ui {

AtspiReply::AtspiReply(sd_bus_message* call) { failed_ = sd_bus_message_new_method_return(call, &reply_); }

AtspiReply::~AtspiReply() { sd_bus_message_unref(reply_); }

void AtspiReply::Reference(const std::pair<std::string, std::string>& reference) {
    if (failed_ < 0) return;
    const int result = sd_bus_message_append(reply_, "(so)", reference.first.c_str(), reference.second.c_str());
    if (result < 0) failed_ = result;
}

int AtspiReply::Send() {
    if (failed_ < 0) return failed_;
    const int result = sd_bus_send(nullptr, reply_, nullptr);
    return result < 0 ? result : 1;
}

}  // namespace zintra::ui
