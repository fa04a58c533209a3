// AtspiObjects, the interfaces beyond Accessible: where a node is
// (Component), what it does (Action), its number (Value), its words (Text)
// and a drop-down's chosen entry (Selection).
#include <systemd/sd-bus.h>

#include <algorithm>
#include <charconv>

#include "base/TextUtil.h"
#include "ui/atspi/AtspiObjects.h"
#include "ui/atspi/AtspiReply.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"

namespace zintra::ui {

using atspi::AtspiMapping;

namespace {

constexpr std::uint32_t kScreenCoordinates = 0;
constexpr std::uint32_t kWindowCoordinates = 1;
constexpr std::uint32_t kLayerWidget = 3;
constexpr std::uint32_t kLayerWindow = 7;

#define ZINTRA_ATSPI_METHOD(name, in, out) \
    SD_BUS_METHOD(name, in, out, &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED)
#define ZINTRA_ATSPI_PROPERTY(name, type) \
    SD_BUS_PROPERTY(name, type, &AtspiObjects::Property, 0, 0)

std::u32string ToCharacters(const std::u16string& text) {
    const std::string utf8 = Utf16ToUtf8(text);
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? byte : byte & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + static_cast<std::size_t>(k) < utf8.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        }
        out += c;
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::string ToUtf8(const std::u32string& text) {
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The number at the start of a value such as "42%".
double LeadingNumber(const std::u16string& value) {
    const std::string text = Utf16ToUtf8(value);
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

}  // namespace

// ---- The tables ----

const sd_bus_vtable* AtspiObjects::ComponentTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        ZINTRA_ATSPI_METHOD("Contains", "iiu", "b"),
        ZINTRA_ATSPI_METHOD("GetAccessibleAtPoint", "iiu", "(so)"),
        ZINTRA_ATSPI_METHOD("GetExtents", "u", "(iiii)"),
        ZINTRA_ATSPI_METHOD("GetPosition", "u", "ii"),
        ZINTRA_ATSPI_METHOD("GetSize", "", "ii"),
        ZINTRA_ATSPI_METHOD("GetLayer", "", "u"),
        ZINTRA_ATSPI_METHOD("GetMDIZOrder", "", "n"),
        ZINTRA_ATSPI_METHOD("GrabFocus", "", "b"),
        ZINTRA_ATSPI_METHOD("GetAlpha", "", "d"),
        SD_BUS_VTABLE_END};
    return table;
}

const sd_bus_vtable* AtspiObjects::ActionTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        ZINTRA_ATSPI_PROPERTY("NActions", "i"),
        ZINTRA_ATSPI_METHOD("GetDescription", "i", "s"),
        ZINTRA_ATSPI_METHOD("GetName", "i", "s"),
        ZINTRA_ATSPI_METHOD("GetLocalizedName", "i", "s"),
        ZINTRA_ATSPI_METHOD("GetKeyBinding", "i", "s"),
        ZINTRA_ATSPI_METHOD("GetActions", "", "a(sss)"),
        ZINTRA_ATSPI_METHOD("DoAction", "i", "b"),
        SD_BUS_VTABLE_END};
    return table;
}

const sd_bus_vtable* AtspiObjects::ValueTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        ZINTRA_ATSPI_PROPERTY("MinimumValue", "d"),
        ZINTRA_ATSPI_PROPERTY("MaximumValue", "d"),
        ZINTRA_ATSPI_PROPERTY("MinimumIncrement", "d"),
        ZINTRA_ATSPI_PROPERTY("CurrentValue", "d"),
        ZINTRA_ATSPI_PROPERTY("Text", "s"),
        SD_BUS_VTABLE_END};
    return table;
}

const sd_bus_vtable* AtspiObjects::TextTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        ZINTRA_ATSPI_PROPERTY("CharacterCount", "i"),
        ZINTRA_ATSPI_PROPERTY("CaretOffset", "i"),
        ZINTRA_ATSPI_METHOD("GetText", "ii", "s"),
        ZINTRA_ATSPI_METHOD("SetCaretOffset", "i", "b"),
        ZINTRA_ATSPI_METHOD("GetCharacterAtOffset", "i", "i"),
        ZINTRA_ATSPI_METHOD("GetTextAtOffset", "iu", "sii"),
        ZINTRA_ATSPI_METHOD("GetTextBeforeOffset", "iu", "sii"),
        ZINTRA_ATSPI_METHOD("GetTextAfterOffset", "iu", "sii"),
        ZINTRA_ATSPI_METHOD("GetStringAtOffset", "iu", "sii"),
        ZINTRA_ATSPI_METHOD("GetNSelections", "", "i"),
        ZINTRA_ATSPI_METHOD("GetSelection", "i", "ii"),
        ZINTRA_ATSPI_METHOD("GetAttributeRun", "ib", "a{ss}ii"),
        ZINTRA_ATSPI_METHOD("GetAttributes", "i", "a{ss}ii"),
        ZINTRA_ATSPI_METHOD("GetDefaultAttributes", "", "a{ss}"),
        ZINTRA_ATSPI_METHOD("GetDefaultAttributeSet", "", "a{ss}"),
        ZINTRA_ATSPI_METHOD("GetCharacterExtents", "iu", "iiii"),
        ZINTRA_ATSPI_METHOD("GetOffsetAtPoint", "iiu", "i"),
        SD_BUS_VTABLE_END};
    return table;
}

const sd_bus_vtable* AtspiObjects::SelectionTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        ZINTRA_ATSPI_PROPERTY("NSelectedChildren", "i"),
        ZINTRA_ATSPI_METHOD("GetSelectedChild", "i", "(so)"),
        ZINTRA_ATSPI_METHOD("SelectChild", "i", "b"),
        ZINTRA_ATSPI_METHOD("DeselectSelectedChild", "i", "b"),
        ZINTRA_ATSPI_METHOD("IsChildSelected", "i", "b"),
        ZINTRA_ATSPI_METHOD("SelectAll", "", "b"),
        ZINTRA_ATSPI_METHOD("ClearSelection", "", "b"),
        ZINTRA_ATSPI_METHOD("DeselectChild", "i", "b"),
        SD_BUS_VTABLE_END};
    return table;
}

#undef ZINTRA_ATSPI_METHOD
#undef ZINTRA_ATSPI_PROPERTY

// ---- Component ----

// Screen pixels from the toolkit's one conversion; window coordinates count
// from the window's top left, parent coordinates from the parent's.
platform::Rect AtspiObjects::Extents(const AtspiTarget& target, std::uint32_t coordinates) const {
    if (target.application) return {};
    const AccessibleTree tree(*target.host);
    platform::Rect rect = tree.ScreenRect(target.node);
    if (coordinates == kScreenCoordinates) return rect;
    const AccessibleNode origin = coordinates == kWindowCoordinates || target.node == tree.Root()
                                      ? tree.Root()
                                      : tree.Parent(target.node);
    const platform::Rect base = target.node == tree.Root() && coordinates == kWindowCoordinates
                                    ? rect
                                    : tree.ScreenRect(origin);
    return {rect.left - base.left, rect.top - base.top, rect.right - base.left, rect.bottom - base.top};
}

int AtspiObjects::AnswerComponent(sd_bus_message* call, const AtspiTarget& target, std::string_view member) {
    AtspiReply reply(call);
    sd_bus_message* out = reply.Message();
    const AccessibleTree tree(*target.host);
    if (member == "Contains" || member == "GetAccessibleAtPoint") {
        int x = 0;
        int y = 0;
        std::uint32_t coordinates = 0;
        sd_bus_message_read(call, "iiu", &x, &y, &coordinates);
        // The point on screen: add back what Extents took off.
        const platform::Rect here = Extents(target, coordinates);
        const platform::Rect screen = tree.ScreenRect(target.node);
        const platform::Point point{x + screen.left - here.left, y + screen.top - here.top};
        if (member == "Contains") {
            sd_bus_message_append(out, "b", screen.Contains(point) ? 1 : 0);
            return reply.Send();
        }
        AccessibleNode hit = tree.HitTest(point);
        // Only what lies below this node counts.
        AccessibleNode above = hit;
        while (above && above != target.node) above = tree.Parent(above);
        reply.Reference(hit && above && hit != target.node ? Of({false, target.host, hit}) : Null());
    } else if (member == "GetExtents" || member == "GetPosition") {
        std::uint32_t coordinates = 0;
        sd_bus_message_read(call, "u", &coordinates);
        const platform::Rect rect = Extents(target, coordinates);
        if (member == "GetPosition") {
            sd_bus_message_append(out, "ii", rect.left, rect.top);
        } else {
            sd_bus_message_append(out, "(iiii)", rect.left, rect.top, rect.Width(), rect.Height());
        }
    } else if (member == "GetSize") {
        const platform::Rect rect = tree.ScreenRect(target.node);
        sd_bus_message_append(out, "ii", rect.Width(), rect.Height());
    } else if (member == "GetLayer") {
        sd_bus_message_append(out, "u", target.node == tree.Root() ? kLayerWindow : kLayerWidget);
    } else if (member == "GetMDIZOrder") {
        sd_bus_message_append(out, "n", static_cast<std::int16_t>(0));
    } else if (member == "GrabFocus") {
        sd_bus_message_append(out, "b", tree.Select(target.node) ? 1 : 0);
    } else {
        sd_bus_message_append(out, "d", 1.0);
    }
    return reply.Send();
}

// ---- Action ----

int AtspiObjects::ActionProperty(const AtspiTarget& target, std::string_view, sd_bus_message* reply) {
    const bool has = !AtspiMapping().ActionName(AccessibleTree(*target.host), target.node).empty();
    return sd_bus_message_append(reply, "i", has ? 1 : 0);
}

int AtspiObjects::AnswerAction(sd_bus_message* call, const AtspiTarget& target, std::string_view member) {
    AtspiReply reply(call);
    sd_bus_message* out = reply.Message();
    const AccessibleTree tree(*target.host);
    const AtspiMapping mapping;
    const std::string name = mapping.ActionName(tree, target.node);
    const std::string description = Utf16ToUtf8(mapping.ActionDescription(tree, target.node));
    if (member == "GetActions") {
        sd_bus_message_append(out, "a(sss)", 1, description.c_str(), description.c_str(), "");
        return reply.Send();
    }
    int index = -1;
    sd_bus_message_read(call, "i", &index);
    const bool valid = index == 0 && !name.empty();
    if (member == "DoAction") {
        // Answered first, done after: the action may open a window with a loop of its own.
        const bool enabled = valid && !(tree.States(target.node) & accessible_state::kUnavailable);
        if (enabled) bridge_.QueueAction(AtspiMapping::KeyOf(tree, target.node));
        sd_bus_message_append(out, "b", enabled ? 1 : 0);
    } else if (member == "GetName") {
        sd_bus_message_append(out, "s", valid ? name.c_str() : "");
    } else if (member == "GetKeyBinding") {
        sd_bus_message_append(out, "s", "");
    } else {
        sd_bus_message_append(out, "s", valid ? description.c_str() : "");
    }
    return reply.Send();
}

// ---- Value ----

int AtspiObjects::ValueProperty(const AtspiTarget& target, std::string_view name, sd_bus_message* reply) {
    const std::u16string value = AccessibleTree(*target.host).Value(target.node).value_or(u"");
    if (name == "Text") return sd_bus_message_append(reply, "s", Utf16ToUtf8(value).c_str());
    if (name == "MaximumValue") return sd_bus_message_append(reply, "d", 100.0);
    if (name == "MinimumIncrement") return sd_bus_message_append(reply, "d", 1.0);
    if (name == "CurrentValue") return sd_bus_message_append(reply, "d", LeadingNumber(value));
    return sd_bus_message_append(reply, "d", 0.0);
}

// ---- Text ----

int AtspiObjects::TextProperty(const AtspiTarget& target, std::string_view name, sd_bus_message* reply) {
    const AccessibleTree tree(*target.host);
    const auto size = static_cast<int>(ToCharacters(AtspiMapping().Text(tree, target.node)).size());
    // FIXME: the caret's own place is the edit's; a focused field reads as typed at its end.
    if (name == "CaretOffset") {
        return sd_bus_message_append(reply, "i", (tree.States(target.node) & accessible_state::kFocused) ? size : 0);
    }
    return sd_bus_message_append(reply, "i", size);
}

int AtspiObjects::AnswerText(sd_bus_message* call, const AtspiTarget& target, std::string_view member) {
    AtspiReply reply(call);
    sd_bus_message* out = reply.Message();
    const AccessibleTree tree(*target.host);
    const std::u32string text = ToCharacters(AtspiMapping().Text(tree, target.node));
    const int size = static_cast<int>(text.size());
    int first = 0;
    if (member == "GetText") {
        int last = -1;
        sd_bus_message_read(call, "ii", &first, &last);
        if (last < 0 || last > size) last = size;
        first = std::clamp(first, 0, last);
        sd_bus_message_append(out, "s", ToUtf8(text.substr(first, last - first)).c_str());
    } else if (member == "GetCharacterAtOffset") {
        sd_bus_message_read(call, "i", &first);
        sd_bus_message_append(out, "i", first >= 0 && first < size ? static_cast<int>(text[first]) : 0);
    } else if (member.find("Offset") != std::string_view::npos && member != "SetCaretOffset" &&
               member != "GetOffsetAtPoint") {
        std::uint32_t kind = 0;
        sd_bus_message_read(call, "iu", &first, &kind);
        const auto at = [&](int offset) {
            return member == "GetStringAtOffset" ? AtspiMapping::StringAt(text, offset, atspi::Granularity{kind})
                                                 : AtspiMapping::TextAt(text, offset, atspi::Boundary{kind});
        };
        atspi::TextRange range = at(first);
        if (member == "GetTextBeforeOffset") range = range.start > 0 ? at(range.start - 1) : atspi::TextRange{};
        if (member == "GetTextAfterOffset") range = range.end < size ? at(range.end) : atspi::TextRange{{}, size, size};
        sd_bus_message_append(out, "sii", ToUtf8(range.text).c_str(), range.start, range.end);
    } else if (member == "GetCharacterExtents") {
        std::uint32_t coordinates = 0;
        sd_bus_message_read(call, "iu", &first, &coordinates);
        // Evenly spread over the node: no reader needs more of a one-line field.
        const platform::Rect rect = Extents(target, coordinates);
        const int width = size > 0 ? rect.Width() / size : 0;
        sd_bus_message_append(out, "iiii", rect.left + width * std::clamp(first, 0, size), rect.top, width,
                              rect.Height());
    } else if (member == "GetAttributeRun" || member == "GetAttributes") {
        sd_bus_message_append(out, "a{ss}ii", 0, 0, size);
    } else if (member == "GetDefaultAttributes" || member == "GetDefaultAttributeSet") {
        sd_bus_message_append(out, "a{ss}", 0);
    } else if (member == "GetSelection") {
        sd_bus_message_append(out, "ii", 0, 0);
    } else if (member == "SetCaretOffset") {
        sd_bus_message_append(out, "b", 0);
    } else {
        sd_bus_message_append(out, "i", member == "GetOffsetAtPoint" ? -1 : 0);
    }
    return reply.Send();
}

// ---- Selection ----

int AtspiObjects::SelectionProperty(const AtspiTarget& target, std::string_view, sd_bus_message* reply) {
    const bool chosen = static_cast<bool>(AccessibleTree(*target.host).Selection(target.node));
    return sd_bus_message_append(reply, "i", chosen ? 1 : 0);
}

int AtspiObjects::AnswerSelection(sd_bus_message* call, const AtspiTarget& target, std::string_view member) {
    AtspiReply reply(call);
    sd_bus_message* out = reply.Message();
    const AccessibleTree tree(*target.host);
    const AccessibleNode chosen = tree.Selection(target.node);
    int index = -1;
    if (member == "SelectAll" || member == "ClearSelection") {
        // One entry is always chosen in a drop-down: neither can be done.
        sd_bus_message_append(out, "b", 0);
        return reply.Send();
    }
    sd_bus_message_read(call, "i", &index);
    if (member == "GetSelectedChild") {
        reply.Reference(index == 0 && chosen ? Of({false, target.host, chosen}) : Null());
    } else if (member == "SelectChild") {
        const AccessibleNode entry{target.node.control, index};
        sd_bus_message_append(out, "b", tree.Contains(entry) && tree.Select(entry) ? 1 : 0);
    } else if (member == "IsChildSelected") {
        sd_bus_message_append(out, "b", chosen && chosen.item == index ? 1 : 0);
    } else {
        sd_bus_message_append(out, "b", 0);
    }
    return reply.Send();
}

}  // namespace zintra::ui
