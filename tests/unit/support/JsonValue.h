// jsoncpp for the tests' own use (the test server's settings and log, reports
// read back), apart from the program's reader.
#pragma once

#include <json/json.h>

#include <string>
#include <string_view>

namespace zintra::test {

bool ParseJson(std::string_view text, Json::Value& document);
std::string WriteCompactJson(const Json::Value& document);

}  // namespace zintra::test
