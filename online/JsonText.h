// The one place that includes jsoncpp: documents are built and read as
// Json::Value, and turned into and out of text only here.
#pragma once

#include <json/json.h>

#include <string>
#include <string_view>

namespace zintra {

// Compact text: no whitespace, members sorted byte-wise by key, the usual
// escapes for quotation mark, backslash and control characters, every other
// byte as it stands, and one line feed at the end.
std::string WriteCompactJson(const Json::Value& document);

// Reads text with the library's default features. False when the text is
// empty or not JSON.
bool ParseJson(std::string_view text, Json::Value& document);

}  // namespace zintra
