#include "online/DownloadState.h"

#include <limits>

namespace zintra {

namespace {

constexpr std::string_view kSection = "[list]";

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// Decimal digits only, and no more than a 64-bit number holds.
std::optional<std::uint64_t> ParseNumber(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Calls `line` for each line of the text, without its line end.
template <typename LineFunction>
void ForEachLine(std::string_view text, LineFunction line) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        line(Trim(text.substr(0, end)));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

// A value written into one INI line must not end it.
std::string OneLine(std::string_view value) {
    std::string line;
    for (char c : value) {
        if (c != '\r' && c != '\n') line += c;
    }
    return std::string(Trim(line));
}

}  // namespace

std::string FormatSidecar(const ResumeRecord& record) {
    std::string text = std::string(kSection) + "\r\n";
    text += "Modified=" + OneLine(record.modified) + "\r\n";
    text += "ETag=" + OneLine(record.etag) + "\r\n";
    text += "Length=" + std::to_string(record.length) + "\r\n";
    return text;
}

std::optional<ResumeRecord> ParseSidecar(std::string_view text) {
    ResumeRecord record;
    bool inSection = false;
    bool lengthValid = true;
    ForEachLine(text, [&](std::string_view line) {
        if (!line.empty() && line.front() == '[') {
            inSection = EqualIgnoringCase(line, kSection);
            return;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) return;
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        if (EqualIgnoringCase(key, "Modified")) record.modified = OneLine(value);
        if (EqualIgnoringCase(key, "ETag")) record.etag = OneLine(value);
        if (EqualIgnoringCase(key, "Length")) {
            const auto length = ParseNumber(value);
            lengthValid = length.has_value();
            record.length = length.value_or(0);
        }
    });
    if (!lengthValid || (record.modified.empty() && record.etag.empty())) return std::nullopt;
    return record;
}

std::optional<std::string> HeaderValue(std::string_view headers, std::string_view name) {
    std::optional<std::string> found;
    ForEachLine(headers, [&](std::string_view line) {
        const auto colon = line.find(':');
        if (found || colon == std::string_view::npos || !EqualIgnoringCase(Trim(line.substr(0, colon)), name)) return;
        found = std::string(Trim(line.substr(colon + 1)));
    });
    return found;
}

long StatusOfHeaders(std::string_view headers) {
    if (headers.substr(0, 5) != "HTTP/") return 0;
    const auto blank = headers.find(' ');
    if (blank == std::string_view::npos || headers.size() < blank + 4) return 0;
    const auto code = ParseNumber(headers.substr(blank + 1, 3));
    return code ? static_cast<long>(*code) : 0;
}

ResumeRecord ServerRecord(std::string_view headers) {
    ResumeRecord record;
    record.modified = OneLine(HeaderValue(headers, "Last-Modified").value_or(""));
    record.etag = OneLine(HeaderValue(headers, "ETag").value_or(""));
    record.length = ParseNumber(HeaderValue(headers, "Content-Length").value_or("")).value_or(0);
    return record;
}

bool MayResume(const ResumeRecord& stored, const ResumeRecord& now, std::uint64_t partialSize) {
    if (stored.modified.empty() && stored.etag.empty()) return false;
    if (!EqualIgnoringCase(stored.modified, now.modified) || stored.etag != now.etag) return false;
    if (stored.length != now.length) return false;
    return stored.length == 0 || partialSize <= stored.length;
}

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    value = Trim(value);
    if (value.size() < 6 || !EqualIgnoringCase(value.substr(0, 6), "bytes ")) return std::nullopt;
    value.remove_prefix(6);
    const auto slash = value.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view span = Trim(value.substr(0, slash));
    const std::string_view total = Trim(value.substr(slash + 1));
    ContentRange range;
    if (total != "*") {
        range.total = ParseNumber(total);
        if (!range.total) return std::nullopt;
    }
    if (span == "*") return range;
    const auto dash = span.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    range.first = ParseNumber(span.substr(0, dash));
    const auto last = ParseNumber(span.substr(dash + 1));
    if (!range.first || !last || *last < *range.first || (range.total && *last >= *range.total)) return std::nullopt;
    return range;
}

BodyPlan PlanBody(long status, std::string_view headers, std::uint64_t offset) {
    if (status < 200 || status > 299) return BodyPlan::Refuse;
    if (status != 206) return BodyPlan::Restart;
    const auto range = ParseContentRange(HeaderValue(headers, "Content-Range").value_or(""));
    return range && range->first == offset ? BodyPlan::Append : BodyPlan::Refuse;
}

bool RangeAnswerMeansComplete(std::string_view headers, const ResumeRecord& record, std::uint64_t offset) {
    if (offset == 0) return false;
    const auto range = ParseContentRange(HeaderValue(headers, "Content-Range").value_or(""));
    if (range && range->total) return *range->total == offset && (record.length == 0 || record.length == offset);
    return record.length == offset;
}

}  // namespace zintra
