#include "ui/core/NamedIds.h"

#include <algorithm>

namespace zintra::ui {

void NamedIds::Set(const std::vector<NamedId>& table) {
    entries_.clear();
    for (const auto& entry : table) {
        if (entry.name != nullptr) entries_.emplace_back(entry.name, entry.id);
    }
    std::stable_sort(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    entries_.erase(std::unique(entries_.begin(), entries_.end(),
                               [](const auto& a, const auto& b) { return a.first == b.first; }),
                   entries_.end());
}

std::optional<int> NamedIds::Find(std::string_view name) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                               [](const auto& entry, std::string_view key) { return entry.first < key; });
    if (it == entries_.end() || it->first != name) return std::nullopt;
    return it->second;
}

}  // namespace zintra::ui
