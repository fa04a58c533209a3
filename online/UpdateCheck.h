// Whether a newer build exists: the update server's description of its newest
// version, compared with the installed build the registry names and with this
// build itself, and the download of the installer it points to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "online/Crypto.h"

#include "online/HttpDownload.h"
#include "online/OnlineConfig.h"
#include "platform/Platform.h"

namespace zintra {

// Reads the update server's reply into the description. False when there is
// nothing to parse, the text is not JSON, its top level is not an object, or
// a text field holds an array or object; the description is then untouched.
// Keys that are absent leave their fields as they were.
bool ParseUpdateDescription(std::string_view reply, UpdateDescription& description);

// Asks the update server. True: carry on (no newer version, or the check could
// not be completed). False: the description names a newer build than the
// installed one (registry value Update) and this one, to be offered to the user.
// A build with update keys (BuiltInUpdateKeys) also fetches the signature
// published beside the description and offers nothing unless it verifies.
bool CheckForUpdate(platform::Platform& platform, UpdateDescription& description);
// The same with the given keys; nothing: descriptions are taken unsigned.
bool CheckForUpdate(platform::Platform& platform, UpdateDescription& description,
                    const std::optional<std::vector<EcdsaPublicPoint>>& keys);

// The two halves of CheckForUpdate, so the network part can run on another
// thread: the fetch (no platform state touched; false when it failed) and the
// reading of its reply against the installed build (same result as above).
bool FetchUpdateReply(std::string& reply);
// The fetch with the given keys: with keys, a reply whose signature does not
// verify comes back empty (nothing to offer).
bool FetchUpdateReply(std::string& reply, const std::optional<std::vector<EcdsaPublicPoint>>& keys);
// Offered is only a build above both the installed one (registry value Update)
// and this program's own (RunningBuild), compared as unsigned numbers.
bool ReadUpdateReply(platform::Platform& platform, std::string_view reply, UpdateDescription& description);

// This program's build number: the last part of its version record.
std::uint32_t RunningBuild();

// Once the described installer has started: records its build as installed
// (registry value Update), so the same description is not offered again.
// False when the store could not take it.
bool RecordStartedUpdate(platform::Platform& platform, const UpdateDescription& description);

// Whether text has the form of a URL: a scheme of two or more letters, digits,
// '+', '-' or '.', starting with a letter, then a colon.
bool LooksLikeUrl(std::string_view text);

// Downloads the described installer (see HttpDownload for `path`). False when
// the description has no URL or the transfer failed.
bool DownloadInstaller(platform::Platform& platform, const UpdateDescription& description, std::string& path,
                       const DownloadProgress& progress);

}  // namespace zintra
