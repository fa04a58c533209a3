// Tells end-to-end tests where the named controls of every host window are:
// when ZINTRA_UI_MAP names a file, the file is rewritten whenever a host
// window is shown, hidden, moved or changes, one line per named control:
//   <window name> <control name> <left> <top> <right> <bottom> <visible 0|1> <enabled 0|1> <checked 0|1> <text>
// in screen pixels (right and bottom exclusive), UTF-8, the text last (it may
// hold spaces; line breaks in it become spaces). Each window also gets a line
// with the control name "*" for the window itself, its title as text. The file
// is written under a temporary name and renamed, so a reader never sees half
// of it. Without the variable nothing is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zintra::ui {

class SHostWnd;

class UiMapWriter {
public:
    // The process's writer, on the file named by ZINTRA_UI_MAP (if any).
    static UiMapWriter& Instance();

    // An empty path writes nothing.
    explicit UiMapWriter(std::string path);

    bool Enabled() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    // Backends announce each host window they create and destroy.
    void AddHost(SHostWnd* host);
    void RemoveHost(SHostWnd* host);
    // Forgets the host of a native window that is being destroyed.
    void RemoveWindow(std::uintptr_t window);
    // Rewrites the file when what it says has changed.
    void Refresh();

    // What the file says now.
    std::string Describe() const;
    static std::string DescribeHost(const SHostWnd& host);

private:
    std::string path_;
    std::vector<SHostWnd*> hosts_;
    std::string written_;
    bool hasWritten_ = false;
    bool refreshing_ = false;
};

}  // namespace zintra::ui
