#include "online/UpdateCheck.h"

#include <algorithm>
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

// The low 32 bits of a JSON integer, as a signed build number.
std::int32_t IntegerBits(const JsonMember& value) {
    const auto bits = value.kind == JsonMember::Kind::UnsignedInteger ? value.unsignedInteger
                                                                       : static_cast<std::uint64_t>(value.integer);
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
    const std::optional<JsonObject> document = ReadJsonObject(reply);
    if (!document) return false;
    const auto member = [&](std::string_view name) -> const JsonMember* {
        const auto it = document->find(name);
        return it == document->end() ? nullptr : &it->second;
    };
    for (const char* key : {"updateInfo", "url", "fileMd5", "fileSha256"}) {
        if (const JsonMember* field = member(key); field != nullptr && !field->IsScalar()) return false;
    }

    if (const JsonMember* version = member("version")) {
        if (version->kind == JsonMember::Kind::String) {
            description.version = LeadingNumber(version->text);
        } else if (version->IsInteger()) {
            description.version = IntegerBits(*version);
        }
    }
    if (const JsonMember* field = member("updateInfo")) description.updateInfo = field->text;
    if (const JsonMember* field = member("url")) description.url = field->text;
    if (const JsonMember* field = member("fileMd5")) description.fileMd5 = LowerCase(field->text);
    if (const JsonMember* field = member("fileSha256")) description.fileSha256 = LowerCase(field->text);
    if (const JsonMember* force = member("forceUpdate")) {
        if (force->kind == JsonMember::Kind::Boolean) {
            description.forceUpdate = force->boolean;
        } else if (force->IsInteger()) {
            description.forceUpdate =
                force->kind == JsonMember::Kind::UnsignedInteger ? force->unsignedInteger > 0 : force->integer > 0;
        } else if (force->kind == JsonMember::Kind::String) {
            if (force->text == "true" || force->text == "1") description.forceUpdate = true;
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
    const std::string url = UpdateUrl();
    if (url.empty()) return false;  // a build without an update server asks nobody
    TransferSink sink;
    if (!HttpFetch(url, nullptr, sink)) return false;
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
    // Never this build or an older one, whatever the store says: an old signed
    // description replayed must not downgrade the program. The stored value
    // can only raise the bar.
    const std::uint32_t bar = std::max(installed, RunningBuild());
    return !(bar < static_cast<std::uint32_t>(description.version));
}

bool RecordStartedUpdate(platform::Platform& platform, const UpdateDescription& description) {
    auto& registry = platform.GetRegistry();
    platform::ScopedRegistryKey key(registry);
    if (!OpenProgramKey(registry, key)) return false;
    const auto build = static_cast<std::uint32_t>(description.version);
    if (registry.SetValue(key.Get(), u"Update", platform::reg::kDword, &build, sizeof(build)) !=
        platform::reg::kSuccess) {
        return false;
    }
    registry.FlushKey(key.Get());
    return true;
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
