#pragma once
#include <cstdint>
#include <functional>

// Counts the marked goods and reports every change. The count is not compared
// with the table: the list operations keep it equal to the number of marks.
class TSelectCounter {
public:
    std::int32_t Count = 0;
    std::function<void(TSelectCounter& counter, std::int32_t count)> OnChange;

    void Increment() { SetCount(Count + 1); }
    void Decrement() { SetCount(Count - 1); }
    void SetCount(std::int32_t n) {
        Count = n;
        if (OnChange) OnChange(*this, Count);
    }
};
