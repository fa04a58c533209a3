#include "online/JsonText.h"

#include <json/json.h>

#include <exception>

namespace zintra {

namespace {

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

JsonMember MemberOf(const Json::Value& value) {
    JsonMember member;
    switch (value.type()) {
        case Json::nullValue: member.kind = JsonMember::Kind::Null; break;
        case Json::booleanValue:
            member.kind = JsonMember::Kind::Boolean;
            member.boolean = value.asBool();
            break;
        case Json::intValue:
            member.kind = JsonMember::Kind::Integer;
            member.integer = value.asLargestInt();
            break;
        case Json::uintValue:
            member.kind = JsonMember::Kind::UnsignedInteger;
            member.unsignedInteger = value.asLargestUInt();
            break;
        case Json::realValue: member.kind = JsonMember::Kind::Real; break;
        case Json::stringValue: member.kind = JsonMember::Kind::String; break;
        case Json::arrayValue: member.kind = JsonMember::Kind::Array; break;
        case Json::objectValue: member.kind = JsonMember::Kind::Object; break;
    }
    if (member.IsScalar()) member.text = value.asString();
    return member;
}

}  // namespace

std::optional<JsonObject> ReadJsonObject(std::string_view text) {
    Json::Value document;
    if (!ParseJson(text, document) || !document.isObject()) return std::nullopt;
    JsonObject members;
    for (const std::string& name : document.getMemberNames()) members[name] = MemberOf(document[name]);
    return members;
}

std::string WriteCompactJson(const JsonTextDocument& source) {
    Json::Value document(Json::objectValue);
    for (const auto& [name, text] : source.texts) document[name] = text;
    for (const auto& [name, value] : source.integers) document[name] = Json::Int64{value};
    for (const auto& [name, items] : source.lists) {
        Json::Value& list = document[name] = Json::Value(Json::arrayValue);
        for (const auto& item : items) {
            Json::Value object(Json::objectValue);
            for (const auto& [key, text] : item) object[key] = text;
            list.append(object);
        }
    }
    // Json::FastWriter gives this form too, but this jsoncpp version rewrites
    // every non-ASCII byte as a \u escape; the reports carry ANSI text as is.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, document) + "\n";
}

}  // namespace zintra
