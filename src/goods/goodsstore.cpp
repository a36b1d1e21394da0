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
