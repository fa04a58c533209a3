#include "tests/unit/support/JsonValue.h"

#include <memory>

namespace zintra::test {

bool ParseJson(std::string_view text, Json::Value& document) {
    if (text.empty()) return false;
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    return reader->parse(text.data(), text.data() + text.size(), &document, nullptr);
}

std::string WriteCompactJson(const Json::Value& document) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, document) + "\n";
}

}  // namespace zintra::test
