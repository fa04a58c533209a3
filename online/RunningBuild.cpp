// This program's own build number, from the version record (the last part of
// FILEVERSION in res/zintra.rc, read by online/CMakeLists.txt).
#include "online/UpdateCheck.h"

#if !defined(ZINTRA_BUILD_NUMBER)
#error "ZINTRA_BUILD_NUMBER comes from online/CMakeLists.txt"
#endif

namespace zintra {

std::uint32_t RunningBuild() { return ZINTRA_BUILD_NUMBER; }

}  // namespace zintra
