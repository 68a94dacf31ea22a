#include "ui/controls/fixed_header.h"

namespace kakeibo {

TFixedHeader::TFixedHeader(int height, QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setFixedHeight(height);
}

}  // namespace kakeibo
