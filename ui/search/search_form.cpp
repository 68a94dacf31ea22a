#include "ui/search/search_form.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>

#include "core/files/ledger_paths.h"
#include "core/reports/sheet_drawing.h"
#include "ui/controls/border_label.h"
#include "ui/controls/focus_frame.h"
#include "ui/controls/list_box.h"
#include "ui/controls/make.h"
#include "ui/platform/fonts.h"
#include "ui/platform/frameless.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

constexpr int kFormWidth = 649;
constexpr int kFormHeight = 460;
constexpr int kRowHeight = 24;
constexpr int kCellMargin = 10;
constexpr std::array<int, kHitColumns> kColumnWidths = {100, 100, 200, 200};
// With 「全ての年」 the year comes first, and the texts give it room.
constexpr std::array<int, kYearHitColumns> kYearColumnWidths = {50, 80, 100, 180, 180};

const QColor kCaptionCream(254, 250, 233);
const QColor kCaptionBlue(238, 249, 255);

const std::array<QString, kYearHitColumns>& Headings() {
    static const std::array<QString, kYearHitColumns> headings = {
        QStringLiteral("年"), QStringLiteral("日付"), QStringLiteral("金額"),
        QStringLiteral("お店の名前"), QStringLiteral("一言メモ")};
    return headings;
}

// Draws every cell through the window's SG1DrawCell.
class HitCellDelegate final : public QStyledItemDelegate {
public:
    HitCellDelegate(const TForm6& form, QObject* parent)
        : QStyledItemDelegate(parent), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        form_.SG1DrawCell(painter, option, index);
        // The current cell while the grid has the focus.
        if (option.state.testFlag(QStyle::State_HasFocus)) DrawFocusFrame(*painter, option.rect);
    }

private:
    const TForm6& form_;
};

}  // namespace

// The grid's texts below the heading row; the headings are the header's. The year's own
// search has four columns; the search over every year puts 年 before them.
class HitTableModel final : public QAbstractTableModel {
public:
    using Row = std::array<QString, kYearHitColumns>;

    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<Row> rows, bool years = false) {
        beginResetModel();
        rows_ = std::move(rows);
        first_ = years ? 0 : 1;
        endResetModel();
    }
    QString Text(int row, int column) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
        return rows_[row][column + first_];
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kYearHitColumns - first_;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        // A screen reader hears the text without the blanks that align it.
        if (role == Qt::AccessibleTextRole) {
            return QString::fromStdString(
                SpeakCell(Text(index.row(), index.column()).toStdString(), -1).Text);
        }
        if (role != Qt::DisplayRole) return {};
        return Text(index.row(), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= columnCount()) {
            return {};
        }
        return Headings()[section + first_];
    }

private:
    std::vector<Row> rows_;
    int first_ = 1;  // the first of the five columns shown
};

TForm6::TForm6(Ledger& ledger, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ledger_(ledger) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("検索フォーム"));
    setModal(true);
    setFont(WindowFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);
    BuildControls();
    resize(kFormWidth, kFormHeight);
    move(200, 132);
    FramelessDrag::ForSheet(this);
}

void TForm6::BuildControls() {
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(24, 11, 200, 16);
    Image1->setPixmap(QPixmap(QStringLiteral(":/resources/search_title.png")));
    // Presses on the title reach the window, so it drags the window there too.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto label = [this](const char* name, QRect geometry, const QString& caption,
                        const QColor& color, Qt::Alignment align = Qt::AlignHCenter) {
        return MakeBorderLabel(this, name, geometry, caption, color, align);
    };
    auto list = [this](const char* name, QRect geometry, bool editable) {
        return MakeListBox(this, name, geometry, editable);
    };

    BorderLabel1 = label("BorderLabel1", {22, 40, 90, 22}, QStringLiteral("項目"), kCaptionCream);
    ComboBox1 = list("ComboBox1", {120, 40, 145, 21}, false);
    BorderLabel3 =
        label("BorderLabel3", {270, 40, 113, 22}, QStringLiteral("お店の名前"), kCaptionCream);
    ComboBox3 = list("ComboBox3", {392, 40, 237, 21}, true);
    BorderLabel2 = label("BorderLabel2", {22, 61, 90, 22}, QStringLiteral("細目"), kCaptionBlue);
    ComboBox2 = list("ComboBox2", {120, 64, 145, 21}, false);
    BorderLabel4 =
        label("BorderLabel4", {270, 61, 113, 22}, QStringLiteral("一言メモ"), kCaptionBlue);
    ComboBox4 = list("ComboBox4", {392, 64, 237, 21}, true);

    BorderLabel13 =
        label("BorderLabel13", {120, 91, 80, 22}, QStringLiteral("日付"), kCaptionCream);
    BorderLabel15 =
        label("BorderLabel15", {199, 91, 121, 22}, QStringLiteral("金額"), kCaptionCream);
    BorderLabel14 =
        label("BorderLabel14", {319, 91, 310, 22}, QStringLiteral("お店の名前"), kCaptionCream);
    BorderLabel5 =
        label("BorderLabel5", {22, 112, 90, 22}, QStringLiteral("最高値"), kCaptionCream);
    BL7 = label("BL7", {120, 112, 80, 22}, QString(), Qt::white);
    BL11 = label("BL11", {199, 112, 121, 22}, QString(), Qt::white, Qt::AlignRight);
    BL9 = label("BL9", {319, 112, 310, 22}, QString(), Qt::white);
    BorderLabel6 = label("BorderLabel6", {22, 133, 90, 22}, QStringLiteral("最安値"), kCaptionBlue);
    BL8 = label("BL8", {120, 133, 80, 22}, QString(), Qt::white);
    BL12 = label("BL12", {199, 133, 121, 22}, QString(), Qt::white, Qt::AlignRight);
    BL10 = label("BL10", {319, 133, 310, 22}, QString(), Qt::white);

    BuildGrid();

    Button1 = new QPushButton(QStringLiteral("検索開始"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(408, 416, 100, 25);
    Button2 = new QPushButton(QStringLiteral("閉じる"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(520, 416, 100, 25);
    // Enter in a condition starts the search.
    Button1->setDefault(true);
    CheckBox1 = new QCheckBox(QString::fromUtf8(kAllYearsOption), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(24, 418, 120, 21);

    ConnectGuarded(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm6::ComboBox1Change);
    ConnectGuarded(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    ConnectGuarded(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);

    // The double click's first press made its cell the current one.
    ConnectGuarded(SG1, &QTableView::doubleClicked, this,
                   [this] { SG1DblClick(SG1->currentIndex().row()); });

    // Each caption is its field's label for a screen reader.
    BorderLabel1->setBuddy(ComboBox1);
    BorderLabel2->setBuddy(ComboBox2);
    BorderLabel3->setBuddy(ComboBox3);
    BorderLabel4->setBuddy(ComboBox4);
    NameListField(ComboBox3, BorderLabel3);
    NameListField(ComboBox4, BorderLabel4);
    SG1->setAccessibleName(QStringLiteral("検索結果"));

    QWidget* order[] = {ComboBox1, ComboBox2, ComboBox3, ComboBox4,
                        CheckBox1, SG1,       Button1,   Button2};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TForm6::BuildGrid() {
    model_ = new HitTableModel(this);
    SG1 = new QTableView(this);
    SG1->setObjectName(QStringLiteral("SG1"));
    SG1->setGeometry(24, 168, 605, 237);
    SG1->setModel(model_);
    SG1->setItemDelegate(new HitCellDelegate(*this, SG1));
    SG1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid for the buttons; the arrows move within it.
    SG1->setTabKeyNavigation(false);
    SG1->setSelectionBehavior(QAbstractItemView::SelectItems);
    SG1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SG1->setShowGrid(true);
    SG1->setWordWrap(false);
    SG1->setCornerButtonEnabled(false);
    SG1->verticalHeader()->hide();
    SG1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG1->verticalHeader()->setDefaultSectionSize(kRowHeight);
    QHeaderView* headings = SG1->horizontalHeader();
    headings->setSectionResizeMode(QHeaderView::Interactive);
    headings->setSectionsClickable(false);
    headings->setHighlightSections(false);
    headings->setMinimumSectionSize(8);
    headings->setDefaultAlignment(Qt::AlignCenter);
    headings->setFixedHeight(kRowHeight);
    headings->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: rgb(254, 250, 233); color: black;"
                       " padding: 0px 10px; border: 0px; border-right: 1px solid #a0a0a0;"
                       " border-bottom: 1px solid #a0a0a0; }"));
    headings->viewport()->installEventFilter(this);
    model_->SetRows({HitTableModel::Row{}});
}

void TForm6::SetColumns(bool allYears) {
    for (int c = 0; c < model_->columnCount(); ++c) {
        SG1->setColumnWidth(c, allYears ? kYearColumnWidths[c] : kColumnWidths[c]);
    }
}

void TForm6::SetHistories(HistorySource shops, HistorySource memos) {
    shops_ = std::move(shops);
    memos_ = std::move(memos);
}

void TForm6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) RunGuarded([this] { FormShow(); });
}

void TForm6::FormShow() {
    {
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->clear();
        ComboBox1->addItem(QString::fromUtf8(kAnyCondition));
        for (const ItemRecord& item : ledger_.ItemTable) ComboBox1->addItem(Qs(item.Name));
        ComboBox1->setCurrentIndex(0);
    }
    ComboBox1Change();
    for (auto [box, source] : {std::pair{ComboBox3, &shops_}, std::pair{ComboBox4, &memos_}}) {
        box->clear();
        box->addItem(QString());
        if (*source) {
            for (const std::string& line : (*source)()) box->addItem(Qs(line));
        }
        box->setCurrentIndex(0);
    }
    SetColumns(allYears_);
    ComboBox1->setFocus();
}

void TForm6::ComboBox1Change() {
    ComboBox2->clear();
    ComboBox2->addItem(QString::fromUtf8(kAnyCondition));
    const int line = ComboBox1->currentIndex();
    if (line >= 1 && line <= kItemCount) {
        for (const std::string& name : ledger_.SubItemTable[line - 1]) ComboBox2->addItem(Qs(name));
    }
    ComboBox2->setCurrentIndex(0);
}

void TForm6::Button1Click() {
    result_ = SearchResult{};
    years_ = YearSearchResult{};
    allYears_ = CheckBox1->isChecked();
    model_->SetRows({HitTableModel::Row{}}, allYears_);
    SetColumns(allYears_);
    SearchConditions conditions;
    // Line 0 of either list asks for anything, line n for item or sub-item n - 1.
    conditions.Item = std::max(ComboBox1->currentIndex(), 0) - 1;
    conditions.SubItem = std::max(ComboBox2->currentIndex(), 0) - 1;
    conditions.Shop = ComboBox3->currentText().toStdString();
    conditions.Memo = ComboBox4->currentText().toStdString();
    if (allYears_) {
        searchedFile_ = OpenLedgerFile();
        years_ = SearchAllYears(ledger_, conditions, yearsCache_);
        ShowLabels(BL7, BL11, BL9, YearHitLabels(years_, years_.MaxHit));
        ShowLabels(BL8, BL12, BL10, YearHitLabels(years_, years_.MinHit));
        // By date, which over the years is by year first.
        DrawSG(1);
        return;
    }
    result_ = SearchEntries(ledger_, conditions);
    ShowLabels(BL7, BL11, BL9, HighestLabels(ledger_, result_));
    ShowLabels(BL8, BL12, BL10, LowestLabels(ledger_, result_));
    DrawSG(0);
}

void TForm6::ShowLabels(TBorderLabel* date, TBorderLabel* amount, TBorderLabel* shop,
                        const HitLabels& labels) {
    date->setText(Qs(labels.Date));
    amount->setText(Qs(labels.Amount));
    shop->setText(Qs(labels.Shop));
}

void TForm6::DrawSG(int column) {
    std::vector<HitTableModel::Row> rows;
    if (allYears_) {
        SortYearHits(years_.Hits, column);
        for (const auto& texts : YearHitRows(years_.Hits)) {
            rows.push_back({Qs(texts[0]), Qs(texts[1]), Qs(texts[2]), Qs(texts[3]), Qs(texts[4])});
        }
        model_->SetRows(std::move(rows), true);
        return;
    }
    SortHits(ledger_, result_.HitList, column);
    for (const auto& texts : HitRows(ledger_, result_.HitList)) {
        rows.push_back({QString(), Qs(texts[0]), Qs(texts[1]), Qs(texts[2]), Qs(texts[3])});
    }
    model_->SetRows(std::move(rows));
}

std::string TForm6::OpenLedgerFile() const {
    return ledger_.DataDir + EntriesFileName(ledger_.LedgerName);
}

void TForm6::SG1DblClick(int row) {
    if (!open_ || row < 0) return;
    std::string path;
    Date date;
    if (allYears_) {
        if (row >= static_cast<int>(years_.Hits.size())) return;
        const YearHit& hit = years_.Hits[row];
        // The open ledger of the search, even when another was opened since.
        path = years_.Paths[hit.Source];
        if (path.empty()) path = searchedFile_;
        date = Date{hit.Entry.Year, hit.Entry.Month, hit.Entry.Day};
    } else {
        if (row >= static_cast<int>(result_.HitList.size())) return;
        const int32_t key = result_.HitList[row];
        const EntryRecord& e = ledger_.EntryTable[key / kSlotCount - 1][key % kSlotCount];
        path = OpenLedgerFile();
        date = Date{e.Year, e.Month, e.Day};
    }
    if (open_(path, date)) close();
}

void TForm6::SG1MouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton || y < 0 || y >= SG1->horizontalHeader()->height()) return;
    std::vector<int> widths;
    for (int c = 0; c < model_->columnCount(); ++c) widths.push_back(SG1->columnWidth(c));
    DrawSG(HeadingColumnAt(x, widths));
}

void TForm6::SG1DrawCell(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(option.rect);
    const int amountColumn = allYears_ ? 2 : 1;
    const Qt::Alignment align = index.column() == amountColumn ? Qt::AlignRight : Qt::AlignLeft;
    painter->drawText(option.rect.adjusted(kCellMargin, 0, -kCellMargin, 0),
                      align | Qt::AlignVCenter | Qt::TextSingleLine, index.data().toString());
    painter->restore();
}

void TForm6::Button2Click() {
    close();
}

int TForm6::HitRowCount() const {
    return model_->rowCount();
}

QString TForm6::HitCell(int row, int column) const {
    return model_->Text(row, column);
}

void TForm6::paintEvent(QPaintEvent*) {
    FormPaint();
}

void TForm6::FormPaint() {
    PaintNavyFrame(*this);
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    QHeaderView* headings = SG1->horizontalHeader();
    if (event->type() == QEvent::MouseButtonPress && watched == headings->viewport()) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        RunGuarded([&] {
            SG1MouseDown(static_cast<QMouseEvent*>(event)->button(), at.x() + headings->offset(),
                         at.y());
        });
    }
    // The header still gets the press, so a drag on a column border resizes the column.
    return QDialog::eventFilter(watched, event);
}

}  // namespace kakeibo
