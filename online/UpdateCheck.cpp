#include "online/UpdateCheck.h"

#include <cctype>
#include <cstdint>
#include <cstring>

#include "base/NumberText.h"
#include "base/ProgramKey.h"
#include "online/HttpDownload.h"
#include "online/HttpFetch.h"
#include "online/JsonText.h"
#include "online/ServerAddress.h"
#include "online/TransferSink.h"
#include "online/UpdateSignature.h"

namespace zintra {

namespace {

bool IsText(const Json::Value& value) { return !value.isArray() && !value.isObject(); }

bool IsInteger(const Json::Value& value) {
    return value.type() == Json::intValue || value.type() == Json::uintValue;
}

// The low 32 bits of a JSON integer, as a signed build number.
std::int32_t IntegerBits(const Json::Value& value) {
    const auto bits = value.type() == Json::uintValue ? static_cast<std::uint64_t>(value.asLargestUInt())
                                                     : static_cast<std::uint64_t>(value.asLargestInt());
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

std::int32_t LeadingNumber(const std::string& text) {
    // The reading atoi gives: white space, a sign, the digits up to the first other character.
    return ReadInteger(std::u16string(text.begin(), text.end()));
}

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A build with keys takes a description only with a valid signature beside it.
bool IsTrusted(std::string_view text, const std::optional<std::vector<EcdsaPublicPoint>>& keys) {
    if (!keys) return true;
    TransferSink signature;
    return HttpFetch(UpdateUrl() + ".sig", nullptr, signature) && VerifyUpdateSignature(text, signature.Text(), *keys);
}

}  // namespace

bool ParseUpdateDescription(std::string_view reply, UpdateDescription& description) {
    Json::Value document;
    if (!ParseJson(reply, document) || !document.isObject()) return false;
    for (const char* key : {"updateInfo", "url", "fileMd5", "fileSha256"}) {
        if (document.isMember(key) && !IsText(document[key])) return false;
    }

    if (document.isMember("version")) {
        const Json::Value& version = document["version"];
        if (version.isString()) {
            description.version = LeadingNumber(version.asString());
        } else if (IsInteger(version)) {
            description.version = IntegerBits(version);
        }
    }
    if (document.isMember("updateInfo")) description.updateInfo = document["updateInfo"].asString();
    if (document.isMember("url")) description.url = document["url"].asString();
    if (document.isMember("fileMd5")) description.fileMd5 = LowerCase(document["fileMd5"].asString());
    if (document.isMember("fileSha256")) description.fileSha256 = LowerCase(document["fileSha256"].asString());
    if (document.isMember("forceUpdate")) {
        const Json::Value& force = document["forceUpdate"];
        if (force.isBool()) {
            description.forceUpdate = force.asBool();
        } else if (IsInteger(force)) {
            description.forceUpdate = force.type() == Json::uintValue ? force.asLargestUInt() > 0 : force.asLargestInt() > 0;
        } else if (force.isString()) {
            const std::string text = force.asString();
            if (text == "true" || text == "1") description.forceUpdate = true;
        }
    }
    return true;
}

bool CheckForUpdate(platform::Platform& platform, UpdateDescription& description) {
    return CheckForUpdate(platform, description, BuiltInUpdateKeys());
}

bool CheckForUpdate(platform::Platform& platform, UpdateDescription& description,
                    const std::optional<std::vector<EcdsaPublicPoint>>& keys) {
    std::string reply;
    if (!FetchUpdateReply(reply, keys)) return true;
    return ReadUpdateReply(platform, reply, description);
}

bool FetchUpdateReply(std::string& reply) { return FetchUpdateReply(reply, BuiltInUpdateKeys()); }

bool FetchUpdateReply(std::string& reply, const std::optional<std::vector<EcdsaPublicPoint>>& keys) {
    TransferSink sink;
    if (!HttpFetch(UpdateUrl(), nullptr, sink)) return false;
    reply.assign(sink.Text());
    if (!reply.empty() && !IsTrusted(reply, keys)) reply.clear();
    return true;
}

bool ReadUpdateReply(platform::Platform& platform, std::string_view text, UpdateDescription& description) {
    auto& registry = platform.GetRegistry();
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return true;
    if (text.empty() || !ParseUpdateDescription(text, description)) return true;

    // The installed build; a missing, longer or unreadable value counts as 0.
    std::uint8_t bytes[4] = {};
    std::uint32_t type = platform::reg::kDword;
    std::uint32_t size = sizeof(bytes);
    std::uint32_t installed = 0;
    if (registry.QueryValue(key.Get(), u"Update", &type, bytes, &size) == platform::reg::kSuccess) {
        std::memcpy(&installed, bytes, sizeof(installed));
    }
    return !(installed < static_cast<std::uint32_t>(description.version));
}

bool LooksLikeUrl(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

bool DownloadInstaller(platform::Platform& platform, const UpdateDescription& description, std::string& path,
                       const DownloadProgress& progress) {
    if (description.url.empty() || !LooksLikeUrl(description.url)) return false;
    return HttpDownload(platform, description.url, path, progress);
}

}  // namespace zintra
