// Fixed integer identifiers for control names, registered once at start-up:
// a control named in the table gets its identifier unless the layout gives one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zintra::ui {

struct NamedId {
    const char* name;
    int id;
};

class NamedIds {
public:
    // The table may come in any order; duplicate names keep the first entry.
    void Set(const std::vector<NamedId>& table);
    std::optional<int> Find(std::string_view name) const;
    std::size_t Size() const { return entries_.size(); }

private:
    std::vector<std::pair<std::string, int>> entries_;  // sorted by name in byte order
};

}  // namespace zintra::ui
