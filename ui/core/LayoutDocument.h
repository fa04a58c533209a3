// A parsed layout: the window attributes of its root element, its local
// style classes and the control tree's XML, read once per window creation.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/core/StyleSheet.h"

namespace zintra::ui {

class SApplication;
class SHostWnd;
class SWindow;
struct LayoutXml;

struct HostAttributes {
    std::string name;
    std::u16string title;
    std::string bigIcon;
    std::string smallIcon;
    int width = 0;
    int height = 0;
    bool resizable = false;
    bool toolWindow = false;
    bool translucent = false;
    bool appMainWnd = false;
    bool appWnd = false;
};

class LayoutDocument {
public:
    // Nothing when the bytes are not a layout (not XML, no ZUI root, no root
    // element, or an unusable size).
    static std::unique_ptr<LayoutDocument> Parse(std::string_view bytes, const SApplication& application);

    const HostAttributes& Attributes() const { return attributes_; }
    const StyleSheet& Styles() const { return styles_; }

    // Builds the control tree under a new root attached to `host`.
    std::unique_ptr<SWindow> BuildTree(SApplication& application, SHostWnd& host) const;

private:
    std::shared_ptr<LayoutXml> xml_;
    HostAttributes attributes_;
    StyleSheet styles_;
};

}  // namespace zintra::ui
