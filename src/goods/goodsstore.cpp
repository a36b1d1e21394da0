#include "goodsstore.h"

#include <QElapsedTimer>
#include <QThread>

std::unique_ptr<TUpdateLock> TGoodsStore::LockUpdate(const std::function<bool()>& busy,
                                                     const std::function<bool()>& waiting) {
    if (auto lock = TryLockUpdate()) return lock;
    if (!busy || !busy()) return nullptr;
    // A short sleep between calls of `waiting` keeps a window answering
    // without spinning the processor.
    constexpr int kPauseMs = 20;
    for (;;) {
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < kUpdateLockRetryMs) {
            if (waiting && !waiting()) return nullptr;
            QThread::msleep(kPauseMs);
        }
        if (auto lock = TryLockUpdate()) return lock;
    }
}

std::vector<TGoodsRecord> ReadRecords(TTable& list, const QString& filter, const TGoodsStore::Progress& progress) {
    list.SetFilter(filter);
    list.SetFiltered(!filter.isEmpty());
    list.Open();
    std::vector<TGoodsRecord> records;
    // One walk in one read transaction: a record read alone would take
    // the file's lock again, twice with its lowest price. (The window
    // `progress` lets work is the printing's, which writes nothing
    // meanwhile.)
    list.ForEachRecord([&](const std::vector<QVariant>& row) {
        records.push_back(GoodsRecordOfRow(list, row));
        if (progress) progress();
    });
    return records;
}
