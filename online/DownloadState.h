// The decisions of a resumable download, kept apart from the transfer so they
// can be tested and fuzzed on their own: what the sidecar beside a partial
// file records, what a server's headers say about the file, whether a partial
// file may be continued, and what to do with the body of an answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zintra {

// What the sidecar records about the file it stands beside: the server's
// validators and the length the server announced (0: not announced).
struct ResumeRecord {
    std::string modified;
    std::string etag;
    std::uint64_t length = 0;

    bool operator==(const ResumeRecord& other) const {
        return modified == other.modified && etag == other.etag && length == other.length;
    }
};

// The sidecar's text: an INI section "list" with Modified, ETag and Length.
std::string FormatSidecar(const ResumeRecord& record);
// Nothing when the text records no validator (not a sidecar this program wrote).
std::optional<ResumeRecord> ParseSidecar(std::string_view text);

// The value of a header in one block of response headers, the name compared
// without regard to case; nothing when absent.
std::optional<std::string> HeaderValue(std::string_view headers, std::string_view name);
// The status code of a block of headers ("HTTP/1.1 206 Partial Content"); 0 when unreadable.
long StatusOfHeaders(std::string_view headers);
// The validators and announced length in a block of headers (a record to keep).
ResumeRecord ServerRecord(std::string_view headers);

// A partial file of `partialSize` bytes may be continued when its sidecar's
// validators are those the server gives now (at least one, the date compared
// without regard to case) and it is no longer than the recorded length.
bool MayResume(const ResumeRecord& stored, const ResumeRecord& now, std::uint64_t partialSize);

// "bytes 100-199/200" or "bytes */200".
struct ContentRange {
    std::optional<std::uint64_t> first;  // none for "*"
    std::optional<std::uint64_t> total;  // none for "/*"
};
std::optional<ContentRange> ParseContentRange(std::string_view value);

// What to do with the body of the final answer to a request for the bytes
// from `offset` on.
enum class BodyPlan {
    Append,   // a 206 that continues exactly where the file ends
    Restart,  // any other success: the whole file again, from byte 0
    Refuse,   // not the file (a redirect that was not followed, a range elsewhere)
};
BodyPlan PlanBody(long status, std::string_view headers, std::uint64_t offset);

// A 416 answer to a request from `offset` means the file is already whole
// when the recorded length, or the length the answer gives, is that offset.
bool RangeAnswerMeansComplete(std::string_view headers, const ResumeRecord& record, std::uint64_t offset);

}  // namespace zintra
