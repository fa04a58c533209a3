#include "platform/linux/XdgAutostart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/linux/FileReplace.h"
#include "platform/linux/TextConversion.h"

namespace zintra::platform::linux_x11 {

namespace {

constexpr char kGroup[] = "[Desktop Entry]";
// An autostart entry is a few hundred bytes; a file far beyond that is not ours.
constexpr std::size_t kLongestEntry = 64 * 1024;

// Characters that make the Desktop Entry rules quote an Exec argument.
bool IsReserved(char c) {
    switch (c) {
        case ' ': case '\t': case '\n': case '"': case '\'': case '\\': case '>': case '<': case '~': case '|':
        case '&': case ';': case '$': case '*': case '?': case '#': case '(': case ')': case '`':
            return true;
        default:
            return false;
    }
}

bool HasControlCharacter(std::string_view text) {
    for (const unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

// Undoes a string value's escapes (\s \n \t \r \\); an unknown escape stays as written.
std::string UnescapeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[i + 1]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: out += value[i]; out += value[i + 1]; break;
        }
        ++i;
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The same file by name, or by identity for another path to it (a link).
bool SameProgram(const std::string& execProgram, const std::string& executablePath) {
    if (execProgram == executablePath) return true;
    if (execProgram.empty() || execProgram[0] != '/') return false;  // a bare name depends on PATH
    struct stat a {}, b {};
    return ::stat(execProgram.c_str(), &a) == 0 && ::stat(executablePath.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// The running program's path as an entry names it. A program replaced on disk
// while it runs (a package upgrade) reads back from /proc as "<path> (deleted)";
// the new program at the old path is the one to start.
std::string ProgramPath(const std::u16string& executablePath) {
    std::string path = ToUtf8(executablePath);
    constexpr std::string_view kDeleted = " (deleted)";
    struct stat info {};
    if (path.size() > kDeleted.size() && path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0 &&
        ::stat(path.c_str(), &info) != 0) {
        path.resize(path.size() - kDeleted.size());
    }
    return path;
}

bool Points(const AutostartEntry& entry, const std::string& executablePath) {
    if (!entry.exec) return false;
    const auto arguments = SplitExec(*entry.exec);
    return arguments && !arguments->empty() && SameProgram(arguments->front(), executablePath);
}

}  // namespace

std::string AutostartEntryPath() {
    return ConfigHome() + "/autostart/zintra.desktop";
}

std::string ExecArgument(std::string_view argument) {
    bool quote = argument.empty();
    for (const char c : argument) quote = quote || IsReserved(c);
    std::string exec;
    if (quote) exec += '"';
    for (const char c : argument) {
        if (c == '%') {
            exec += "%%";  // a lone % would be read as a field code
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) exec += '\\';
        exec += c;
    }
    if (quote) exec += '"';
    // The value's own escaping comes on top of the quoting.
    std::string value;
    for (const char c : exec) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

std::optional<std::vector<std::string>> SplitExec(std::string_view value) {
    const std::string text = UnescapeValue(value);
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        std::string argument;
        bool onlyFieldCode = false;
        bool any = false;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
            if (text[i] == '"') {
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    const char c = text[i++];
                    if (c == '"') {
                        closed = true;
                        break;
                    }
                    if (c == '\\' && i < text.size() &&
                        (text[i] == '"' || text[i] == '`' || text[i] == '$' || text[i] == '\\')) {
                        argument += text[i++];
                    } else if (c == '%' && i < text.size() && text[i] == '%') {
                        argument += '%';
                        ++i;
                    } else {
                        argument += c;
                    }
                }
                if (!closed) return std::nullopt;
                any = true;
                onlyFieldCode = false;
                continue;
            }
            if (text[i] == '%' && i + 1 < text.size()) {
                if (text[i + 1] == '%') {
                    argument += '%';
                    onlyFieldCode = false;
                } else if (!any) {
                    onlyFieldCode = true;  // %f, %U, ...: filled in by the desktop
                }
                i += 2;
                any = true;
                continue;
            }
            argument += text[i++];
            any = true;
            onlyFieldCode = false;
        }
        if (!onlyFieldCode || !argument.empty()) arguments.push_back(std::move(argument));
    }
    return arguments;
}

namespace {

// A string value as an entry holds it: only the backslash is escaped (the
// program's path has no control characters, or it is never written).
std::string StringValue(std::string_view text) {
    std::string value;
    for (const char c : text) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

}  // namespace

std::string AutostartEntryText(const std::string& executablePath) {
    return std::string(kGroup) +
           "\n"
           "Type=Application\n"
           "Name=Zintra\n"
           "Comment=Mouse auto-clicker, started hidden at log-in\n"
           "TryExec=" +
           StringValue(executablePath) +
           "\n"
           "Exec=" +
           ExecArgument(executablePath) +
           " -auto\n"
           "Icon=zintra\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

AutostartEntry ReadAutostartEntry(std::string_view text) {
    AutostartEntry entry;
    bool inMain = false;
    bool seenHidden = false;
    bool seenGnome = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inMain = line == kGroup;
            continue;
        }
        if (!inMain) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        // The first of a repeated key counts; localised keys (Key[xx]) are other keys.
        if (key == "Exec" && !entry.exec) {
            entry.exec = std::string(value);
        } else if (key == "TryExec") {
            entry.tryExec = true;
        } else if (key == "Hidden" && !seenHidden) {
            seenHidden = true;
            entry.disabled = entry.disabled || value == "true";
        } else if (key == "X-GNOME-Autostart-enabled" && !seenGnome) {
            seenGnome = true;
            entry.disabled = entry.disabled || value == "false";
        }
    }
    return entry;
}

std::optional<std::string> WithTryExec(std::string_view text, const std::string& executablePath) {
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        const std::size_t lineEnd = end == std::string_view::npos ? text.size() : end;
        if (Trim(text.substr(start, lineEnd - start)) == kGroup) {
            std::string upgraded(text.substr(0, next));
            if (end == std::string_view::npos) upgraded += '\n';
            upgraded += "TryExec=" + StringValue(executablePath) + "\n";
            upgraded += text.substr(next);
            return upgraded;
        }
        start = next;
    }
    return std::nullopt;
}

std::optional<AutostartEntry> XdgAutostart::Load(const std::string& path, std::string* entryText) const {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? std::optional(AutostartEntry{}) : std::nullopt;
    std::string text;
    char buffer[4096];
    bool failed = false;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failed = true;
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > kLongestEntry) {
            ::close(fd);
            AutostartEntry huge;
            huge.exec = std::string();  // there, and not ours
            return huge;
        }
    }
    ::close(fd);
    if (failed) return std::nullopt;
    AutostartEntry entry = ReadAutostartEntry(text);
    if (!entry.exec) entry.exec = std::string();  // an entry without Exec is still an entry
    if (entryText != nullptr) *entryText = std::move(text);
    return entry;
}

std::optional<bool> XdgAutostart::Query(const std::u16string& executablePath) {
    const std::optional<AutostartEntry> entry = Load(Path());
    if (!entry) return std::nullopt;
    return !entry->disabled && Points(*entry, ProgramPath(executablePath));
}

bool XdgAutostart::Write(const std::u16string& executablePath) {
    const std::string program = ProgramPath(executablePath);
    // A path that no entry can name, or that names nothing (a name that was
    // not valid UTF-8 reads back with replacement characters), is not written.
    struct stat info {};
    if (program.empty() || program[0] != '/' || HasControlCharacter(program) || ::stat(program.c_str(), &info) != 0) {
        return false;
    }
    const std::string path = Path();
    // Hidden and not ending in .desktop: a session reading the folder meanwhile skips it.
    return ReplaceFile(path, AutostartEntryText(program), 0644, FolderOf(path) + "/.zintra.desktop.");
}

bool XdgAutostart::Remove(const std::u16string& executablePath) {
    const std::string path = Path();
    const std::optional<AutostartEntry> entry = Load(path);
    if (!entry) return false;
    if (!entry->exec) return true;
    if (!Points(*entry, ProgramPath(executablePath))) return true;  // another program's: not ours to delete
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
    SyncFolder(FolderOf(path));
    return true;
}

bool XdgAutostart::Upgrade(const std::u16string& executablePath) {
    const std::string path = Path();
    std::string text;
    const std::optional<AutostartEntry> entry = Load(path, &text);
    const std::string program = ProgramPath(executablePath);
    if (!entry || entry->tryExec || !Points(*entry, program)) return false;
    // The entry keeps naming the program it named (a link stays a link).
    const std::string named = SplitExec(*entry->exec)->front();
    if (HasControlCharacter(named)) return false;
    const std::optional<std::string> upgraded = WithTryExec(text, named);
    if (!upgraded) return false;
    struct stat info {};
    const mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    return ReplaceFile(path, *upgraded, mode, FolderOf(path) + "/.zintra.desktop.");
}

}  // namespace zintra::platform::linux_x11
