#include "ui/core/LayoutDocument.h"
#include "ui/core/LayoutXml.h"

#include <algorithm>
#include <cstring>

#include "ui/core/Log.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

// Deeper nesting is ignored, so a hostile layout cannot exhaust the stack.
constexpr int kMaxDepth = 48;
// Windows larger than this are not ours.
constexpr int kMaxWindowSize = 8192;

void ApplyAttributes(SWindow& control, const pugi::xml_node& node) {
    // The class comes first, so the control's own attributes override it.
    if (const auto cls = node.attribute("class")) control.SetAttribute("class", cls.value(), true);
    for (const auto& attribute : node.attributes()) {
        if (std::strcmp(attribute.name(), "class") == 0) continue;
        control.SetAttribute(attribute.name(), attribute.value(), true);
    }
    if (!node.attribute("text")) {
        const std::string_view text = Trim(node.child_value());
        if (!text.empty()) control.SetAttribute("text", text, true);
    }
}

class TreeBuilder {
public:
    explicit TreeBuilder(SApplication& application) : application_(application) {}

    void BuildChildren(SWindow& parent, const pugi::xml_node& node, int depth) {
        if (depth >= kMaxDepth) {
            Log("layout nested deeper than %d levels; the rest is ignored", kMaxDepth);
            return;
        }
        for (const auto& child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            auto control = application_.CreateWindowByTag(child.name());
            if (!control) {
                Log("layout tag [%s] is not a known control; a plain window stands in", child.name());
                control = std::make_unique<SWindow>();
            }
            SWindow& inserted = *parent.InsertChild(std::move(control));
            Build(inserted, child, depth + 1);
        }
    }

    void Build(SWindow& control, const pugi::xml_node& node, int depth) {
        ApplyAttributes(control, node);
        if (control.GetID() == 0 && !control.GetName().empty()) {
            if (auto id = application_.GetNamedIds().Find(control.GetName())) control.SetID(*id);
        }
        if (!control.ReadLayoutChildren(LayoutElement{node})) BuildChildren(control, node, depth);
        control.OnInitFinished();
    }

private:
    SApplication& application_;
};

}  // namespace

std::unique_ptr<LayoutDocument> LayoutDocument::Parse(std::string_view bytes, const SApplication& application) {
    auto document = std::unique_ptr<LayoutDocument>(new LayoutDocument());
    document->xml_ = std::make_shared<LayoutXml>();
    const auto result = document->xml_->document.load_buffer(bytes.data(), bytes.size());
    if (!result) {
        Log("layout is not well-formed XML: %s at offset %lld", result.description(),
            static_cast<long long>(result.offset));
        return nullptr;
    }
    const auto zui = document->xml_->document.child("ZUI");
    if (!zui || !zui.child("root")) {
        Log("layout has no ZUI element with a root");
        return nullptr;
    }
    const auto& definitions = application.Definitions();
    HostAttributes& attributes = document->attributes_;
    attributes.name = zui.attribute("name").as_string();
    attributes.title = Utf8ToUtf16(definitions.ResolveReference(zui.attribute("title").as_string()));
    attributes.bigIcon = zui.attribute("bigIcon").as_string();
    attributes.smallIcon = zui.attribute("smallIcon").as_string();
    attributes.width = ParseIntOr(zui.attribute("width").as_string(), 0);
    attributes.height = ParseIntOr(zui.attribute("height").as_string(), 0);
    if (attributes.width <= 0 || attributes.height <= 0 || attributes.width > kMaxWindowSize ||
        attributes.height > kMaxWindowSize) {
        Log("layout has no usable window size");
        return nullptr;
    }
    attributes.resizable = ParseBoolOr(zui.attribute("resizable").as_string(), false);
    attributes.toolWindow = ParseBoolOr(zui.attribute("toolWindow").as_string(), false);
    attributes.translucent = ParseBoolOr(zui.attribute("translucent").as_string(), false);
    attributes.appMainWnd = ParseBoolOr(zui.attribute("appMainWnd").as_string(), false);
    attributes.appWnd = ParseBoolOr(zui.attribute("appWnd").as_string(), false);
    for (const auto& style : zui.children("style")) document->styles_.Load(LayoutElement{style});
    return document;
}

std::unique_ptr<SWindow> LayoutDocument::BuildTree(SApplication& application, SHostWnd& host) const {
    auto root = std::make_unique<SWindow>();
    root->AttachHost(&host);
    TreeBuilder(application).Build(*root, xml_->document.child("ZUI").child("root"), 0);
    return root;
}

}  // namespace zintra::ui
