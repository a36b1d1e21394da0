#include "rowpositions.h"

#include <algorithm>
#include <limits>

void TRowPositions::Build(const std::vector<qint64>& rows) {
    Clear();
    IsBuilt = true;
    if (rows.empty()) return;
    const auto [lo, hi] = std::minmax_element(rows.begin(), rows.end());
    const quint64 span = static_cast<quint64>(*hi) - static_cast<quint64>(*lo);
    if (span < 4 * static_cast<quint64>(rows.size()) + 1024 && span < static_cast<quint64>(std::numeric_limits<int>::max())) {
        Base = *lo;
        Slots.assign(static_cast<size_t>(span) + 1, 0);
        for (size_t i = 0; i < rows.size(); ++i)
            Slots[static_cast<size_t>(static_cast<quint64>(rows[i]) - static_cast<quint64>(Base))] = static_cast<int>(i) + 1;
        return;
    }
    Sorted.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) Sorted.emplace_back(rows[i], static_cast<int>(i));
    std::sort(Sorted.begin(), Sorted.end());
}

void TRowPositions::Clear() {
    IsBuilt = false;
    Slots = {};
    Sorted = {};
}

int TRowPositions::Find(qint64 rowId) const {
    if (!Slots.empty()) {
        const quint64 offset = static_cast<quint64>(rowId) - static_cast<quint64>(Base);
        return rowId < Base || offset >= Slots.size() ? -1 : Slots[static_cast<size_t>(offset)] - 1;
    }
    const auto it = std::lower_bound(Sorted.begin(), Sorted.end(), std::make_pair(rowId, std::numeric_limits<int>::min()));
    return it != Sorted.end() && it->first == rowId ? it->second : -1;
}
