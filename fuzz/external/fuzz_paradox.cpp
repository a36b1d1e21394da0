#include "fuzz_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzTable(data, size, &ReadParadoxTable);
    return 0;
}
