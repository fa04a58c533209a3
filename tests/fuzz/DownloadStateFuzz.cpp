// Fuzzes the decisions of a resumable download: any sidecar text and any
// server headers must be read without a crash, a record must survive its
// own text, and no answer may be appended to a file unless it is a 206 that
// continues exactly where the file ends.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "online/DownloadState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first part is the sidecar, the rest the server's headers.
    const auto split = input.find('\0');
    const std::string_view sidecar = input.substr(0, split);
    const std::string_view headers = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    const auto stored = zintra::ParseSidecar(sidecar);
    if (stored && zintra::ParseSidecar(zintra::FormatSidecar(*stored)) != stored) __builtin_trap();
    const zintra::ResumeRecord server = zintra::ServerRecord(headers);
    if (zintra::ParseSidecar(zintra::FormatSidecar(server)).value_or(server) != server) __builtin_trap();

    const std::uint64_t offset = stored ? stored->length / 2 : 0;
    if (stored && zintra::MayResume(*stored, server, offset) && stored->modified.empty() && stored->etag.empty()) {
        __builtin_trap();
    }
    const long status = zintra::StatusOfHeaders(headers);
    const zintra::BodyPlan plan = zintra::PlanBody(status, headers, offset);
    if (plan == zintra::BodyPlan::Append) {
        const auto range = zintra::ParseContentRange(zintra::HeaderValue(headers, "Content-Range").value_or(""));
        if (status != 206 || !range || range->first != offset) __builtin_trap();
    }
    if (plan == zintra::BodyPlan::Restart && (status < 200 || status > 299 || status == 206)) __builtin_trap();
    if (zintra::RangeAnswerMeansComplete(headers, server, offset) && offset == 0) __builtin_trap();
    return 0;
}
