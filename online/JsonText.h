// The one place that includes jsoncpp: update descriptions are read into plain
// members and reports are written from plain text members, so nothing else
// sees the library's values.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zintra {

// One member of a JSON object, in the forms the program reads it.
struct JsonMember {
    enum class Kind { Null, Boolean, Integer, UnsignedInteger, Real, String, Array, Object };
    Kind kind = Kind::Null;
    // A scalar as the library turns it into text ("" for null, "true"/"false",
    // the digits of a number); empty for arrays and objects.
    std::string text;
    bool boolean = false;
    std::int64_t integer = 0;           // Kind::Integer
    std::uint64_t unsignedInteger = 0;  // Kind::UnsignedInteger

    bool IsScalar() const { return kind != Kind::Array && kind != Kind::Object; }
    bool IsInteger() const { return kind == Kind::Integer || kind == Kind::UnsignedInteger; }
};
using JsonObject = std::map<std::string, JsonMember, std::less<>>;

// The members of a JSON object, read with the library's default features.
// Nothing when the text is empty, not JSON (nesting too deep included) or its
// top level is not an object.
std::optional<JsonObject> ReadJsonObject(std::string_view text);

// A document of text and integer members, and lists of objects of text members.
struct JsonTextDocument {
    std::map<std::string, std::string> texts;
    std::map<std::string, std::int64_t> integers;
    std::map<std::string, std::vector<std::map<std::string, std::string>>> lists;
};

// Compact text: no whitespace, members sorted byte-wise by key, the usual
// escapes for quotation mark, backslash and control characters, every other
// byte as it stands, and one line feed at the end.
std::string WriteCompactJson(const JsonTextDocument& document);

}  // namespace zintra
