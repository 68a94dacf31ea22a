#include "fuzz_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kakeibo::fuzz::FuzzNumberTable(data, size, "y.dat");
}
