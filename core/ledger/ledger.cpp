#include "core/ledger/ledger.h"

namespace kakeibo {

int Ledger::GetIndex(int month) const {
    const auto& slots = EntryTable[month - 1];
    for (int i = 0; i < kSlotCount; ++i) {
        if (slots[i].Amount == 0) return i;
    }
    return kSlotCount;
}

}  // namespace kakeibo
