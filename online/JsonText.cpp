#include "online/JsonText.h"

#include <exception>

namespace zintra {

std::string WriteCompactJson(const Json::Value& document) {
    // Json::FastWriter gives this form too, but this jsoncpp version rewrites
    // every non-ASCII byte as a \u escape; the reports carry ANSI text as is.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, document) + "\n";
}

bool ParseJson(std::string_view text, Json::Value& document) {
    if (text.empty()) return false;
    // The classic reader with its default features, as the update server's
    // replies have always been read; newer jsoncpp marks it deprecated.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::Reader reader;
#pragma GCC diagnostic pop
    try {
        return reader.parse(text.data(), text.data() + text.size(), document);
    } catch (const std::exception&) {
        // The reader throws rather than fails on nesting deeper than its
        // stack limit; a reply built that way is simply not an answer.
        document = Json::Value();
        return false;
    }
}

}  // namespace zintra
