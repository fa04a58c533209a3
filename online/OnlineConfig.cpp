#include "online/OnlineConfig.h"

#include <new>

namespace zintra {

OnlineConfig* OnlineConfig::Instance() {
    static OnlineConfig* const instance = new (std::nothrow) OnlineConfig();
    return instance;
}

}  // namespace zintra
