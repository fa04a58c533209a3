// Where downloads go on Linux: a folder of this user that nobody else can
// write or reach through a link, so no other user can plant, swap or point
// a link at a file under the name a download is saved as (a shared /tmp
// would let them).
#pragma once

#include <string>

namespace zintra::platform::linux_x11 {

// $XDG_CACHE_HOME/zintra/downloads/ (~/.cache when unset), else
// $XDG_RUNTIME_DIR/zintra-downloads/; created with mode 0700. Empty when
// neither is safe: a folder of another user, one open to others, a link
// anywhere on the way, or a parent that others may rename things in.
std::string PrivateDownloadFolder();

// Whether `folder` (an absolute path) is safe for this user's
// downloads, as above; a folder of the user's with wider permissions is
// narrowed to 0700.
bool IsPrivateFolder(const std::string& folder);

}  // namespace zintra::platform::linux_x11
