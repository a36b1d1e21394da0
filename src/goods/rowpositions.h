#pragma once
#include <QtGlobal>
#include <utility>
#include <vector>

// Where each row id stands in a list of row ids. SQLite hands out row ids
// close together, so this is mostly a table indexed by row id (4 bytes a
// record); ids spread far apart fall back to a sorted list.
class TRowPositions {
public:
    void Build(const std::vector<qint64>& rows);
    void Clear();
    bool Built() const { return IsBuilt; }
    // The position of `rowId` in the list it was built from; -1 when missing.
    int Find(qint64 rowId) const;

private:
    bool IsBuilt = false;
    qint64 Base = 0;
    std::vector<int> Slots;  // position + 1 for each id from Base; 0: not in the list
    std::vector<std::pair<qint64, int>> Sorted;
};
