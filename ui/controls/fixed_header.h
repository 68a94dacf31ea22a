#pragma once

#include <QHeaderView>

namespace kakeibo {

// The headings row of a grid, at a fixed height. Qt's own size hint lays out every heading
// in bold to find a height the row never takes, loading a bold font only for that.
class TFixedHeader final : public QHeaderView {
    Q_OBJECT

public:
    TFixedHeader(int height, QWidget* parent);

    QSize sizeHint() const override { return {length(), height()}; }
};

}  // namespace kakeibo
