#include "core/shared_text.h"

#include <ostream>

namespace kakeibo {

std::ostream& operator<<(std::ostream& out, const SharedText& text) {
    return out << text.str();
}

}  // namespace kakeibo
