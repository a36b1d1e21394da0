#pragma once
#include "goodsstore.h"

#include <functional>
#include <memory>

// The local goods store's own parts, shared by its files.

// What holds the whole table open between the store's calls: the table is
// closed again when the last holder goes.
class THold {
public:
    explicit THold(std::function<void()> release) : Release(std::move(release)) {}
    ~THold() {
        if (Release) Release();
    }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

private:
    std::function<void()> Release;
};

// The update's merge into the goods file that `whole` (open, unfiltered, in
// key order) reads; `release` runs once the merge is gone.
std::unique_ptr<TGoodsMerge> MakeLocalMerge(TTable& whole, const TUnitSymbols& symbols, std::function<void()> release);
