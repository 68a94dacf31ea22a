#include "ui/platform/platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <exception>

#include "core/errors.h"
#include "core/files/program_folder.h"
#include "core/numbers.h"
#include "ui/platform/app_info.h"
#include "ui/platform/focus_return.h"

namespace kakeibo {

namespace {

QString TitleOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QStringLiteral("警告");
        case MessageKind::Error:
            return QStringLiteral("エラー");
        case MessageKind::Information:
            return QStringLiteral("情報");
        case MessageKind::Confirmation:
            return QStringLiteral("確認");
    }
    return {};
}

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// "説明|*.csv" -> "説明 (*.csv)" as Qt wants it; a description that already ends with its
// pattern in brackets ("家計簿データ(*.nbd)|*.nbd") is used as it is, so the pattern shows once.
QString QtFilter(const QString& filter) {
    const int bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0) return filter;
    const QString description = filter.left(bar);
    const QString pattern = filter.mid(bar + 1);
    if (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))) return description;
    return description + QStringLiteral(" (") + pattern + QStringLiteral(")");
}

// Messages break lines with a bare carriage return; the box wants "\n".
QString DisplayText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A short message makes a narrow box, and the window manager then cuts the title to
// 「Ni… 簿」: the box is made wide enough for its title in a bold title font, beside the
// window manager's buttons and icon.
void RoomForTitle(QMessageBox& box) {
    QFont bold = box.font();
    bold.setBold(true);
    const int needed = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

class DesktopPlatform final : public Platform {
public:
    void ShowMessage(const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle),
                        DisplayText(text), QMessageBox::NoButton, QApplication::activeWindow());
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        const FocusReturn back;
        RoomForTitle(box);
        box.exec();
    }

    MessageButton ShowTypedMessage(MessageKind kind, const QString& text,
                                   MessageButtons buttons) override {
        QMessageBox box(IconOf(kind), TitleOf(kind), DisplayText(text), QMessageBox::NoButton,
                        QApplication::activeWindow());
        struct Choice {
            MessageButton button;
            const char* caption;
            QMessageBox::ButtonRole role;
        };
        const Choice choices[] = {{OkButton, "OK", QMessageBox::AcceptRole},
                                  {YesButton, "はい(&Y)", QMessageBox::YesRole},
                                  {NoButton, "いいえ(&N)", QMessageBox::NoRole},
                                  {AllButton, "すべて(&A)", QMessageBox::YesRole},
                                  {CancelButton, "キャンセル", QMessageBox::RejectRole}};
        std::vector<std::pair<QAbstractButton*, MessageButton>> made;
        for (const auto& c : choices) {
            if (buttons & c.button) {
                made.emplace_back(box.addButton(QString::fromUtf8(c.caption), c.role), c.button);
            }
        }
        if (!made.empty()) box.setDefaultButton(qobject_cast<QPushButton*>(made.front().first));
        const FocusReturn back;
        RoomForTitle(box);
        box.exec();
        for (const auto& [widget, button] : made) {
            if (box.clickedButton() == widget) return button;
        }
        return BoxClosed;
    }

    int AskChoice(MessageKind kind, const QString& text, const QStringList& buttons,
                  int defaultButton, int cancel) override {
        QMessageBox box(IconOf(kind), TitleOf(kind), DisplayText(text), QMessageBox::NoButton,
                        QApplication::activeWindow());
        std::vector<QPushButton*> made;
        for (int i = 0; i < buttons.size(); ++i) {
            made.push_back(box.addButton(
                buttons[i], i == cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
        }
        if (defaultButton >= 0 && defaultButton < buttons.size()) {
            box.setDefaultButton(made[static_cast<size_t>(defaultButton)]);
        }
        if (cancel >= 0 && cancel < buttons.size()) {
            box.setEscapeButton(made[static_cast<size_t>(cancel)]);
        }
        const FocusReturn back;
        RoomForTitle(box);
        box.exec();
        for (size_t i = 0; i < made.size(); ++i) {
            if (box.clickedButton() == made[i]) return static_cast<int>(i);
        }
        return cancel;
    }

    void ShowError(const QString& text) override {
        QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                        DisplayText(text), QMessageBox::NoButton, QApplication::activeWindow());
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        const FocusReturn back;
        RoomForTitle(box);
        box.exec();
    }

    std::optional<QString> GetOpenFileName(const FileDialogOptions& options) override {
        const QString path = QFileDialog::getOpenFileName(
            QApplication::activeWindow(), QString(), StartPath(options), QtFilter(options.Filter));
        if (path.isEmpty()) return std::nullopt;
        return path;
    }

    std::optional<QString> GetSaveFileName(const FileDialogOptions& options) override {
        QFileDialog dialog(QApplication::activeWindow(), QString(), StartPath(options),
                           QtFilter(options.Filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        QString ext = options.DefaultExt;
        if (ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
        dialog.setDefaultSuffix(ext);
        if (!options.OverwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().front();
    }

    void Beep() override { QApplication::beep(); }

    Date Today() override {
        const QDate d = QDate::currentDate();
        return Date{d.year(), d.month(), d.day()};
    }

    Moment Now() override {
        const QDateTime now = QDateTime::currentDateTime();
        const QDate d = now.date();
        const QTime t = now.time();
        return Moment{Date{d.year(), d.month(), d.day()}, t.hour(), t.minute(), t.second()};
    }

    std::optional<int> ChooseItem(const QString& title, const QString& label,
                                  const QStringList& items) override {
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(title);
        dialog.setLabelText(label);
        dialog.setComboBoxItems(items);
        dialog.setComboBoxEditable(false);
        dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
        dialog.setOkButtonText(QStringLiteral("OK"));
        dialog.setCancelButtonText(QStringLiteral("キャンセル"));
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        const int index = static_cast<int>(items.indexOf(dialog.textValue()));
        if (index < 0) return std::nullopt;
        return index;
    }

    bool ChooseLines(const QString& title, const QString& label,
                     std::vector<CheckLine>& lines) override {
        QDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(title);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(label, &dialog));
        auto* table = new QTableWidget(static_cast<int>(lines.size()), 2, &dialog);
        table->setObjectName(QStringLiteral("CheckList"));
        table->setHorizontalHeaderLabels({QStringLiteral("内容"), QStringLiteral("金額")});
        table->verticalHeader()->hide();
        table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int r = 0; r < table->rowCount(); ++r) {
            const CheckLine& line = lines[static_cast<size_t>(r)];
            auto* text = new QTableWidgetItem(line.Text);
            text->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
            text->setCheckState(line.Checked ? Qt::Checked : Qt::Unchecked);
            table->setItem(r, 0, text);
            auto* amount = new QTableWidgetItem(
                line.Amount ? QString::fromStdString(FormatNumber(*line.Amount, 1, 0)) : QString());
            amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!line.Amount) amount->setFlags(Qt::ItemIsEnabled);
            table->setItem(r, 1, amount);
        }
        table->setMinimumWidth(560);
        layout->addWidget(table);
        auto* buttons = new QDialogButtonBox(&dialog);
        buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
        layout->addWidget(buttons);
        std::vector<CheckLine> result;
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
            result = lines;
            for (int r = 0; r < table->rowCount(); ++r) {
                CheckLine& line = result[static_cast<size_t>(r)];
                line.Checked = table->item(r, 0)->checkState() == Qt::Checked;
                if (!line.Amount || !line.Checked) continue;
                const auto amount = TypedEntryAmount(table->item(r, 1)->text().toStdString());
                if (!amount) {
                    ShowMessage(QString::fromUtf8(kBadAmountMessage));
                    table->setCurrentCell(r, 1);
                    return;
                }
                line.Amount = *amount;
            }
            dialog.accept();
        });
        if (dialog.exec() != QDialog::Accepted) return false;
        lines = std::move(result);
        return true;
    }

    QString ExeDir() override { return QString::fromStdString(Folders().ProgramDir); }

    QString DefaultDataDir() override { return QString::fromStdString(Folders().DefaultDataDir); }

private:
    // Decided once per run, so the settings and the masters of one run share one folder.
    const ProgramFolders& Folders() {
        if (!folders_) {
            const std::string exeDir = QCoreApplication::applicationDirPath().toStdString() + "/";
            folders_ = ChooseProgramFolders(exeDir, InstalledSharedDir(exeDir),
                                            IsWritableDirectory(exeDir), ProcessEnvironment());
            PrepareProgramFolder(*folders_);
        }
        return *folders_;
    }

    std::optional<ProgramFolders> folders_;

    static QString StartPath(const FileDialogOptions& options) {
        if (options.FileName.isEmpty()) return options.InitialDir;
        return QDir(options.InitialDir).filePath(options.FileName);
    }
};

Platform* g_installed = nullptr;

}  // namespace

bool Platform::ChooseLines(const QString&, const QString&, std::vector<CheckLine>&) {
    return false;
}

namespace {
PrintPreviewFunction g_printPreview = nullptr;
}  // namespace

void SetPrintPreview(PrintPreviewFunction preview) {
    g_printPreview = preview;
}

bool Platform::PrintWithPreview(const PrintDocument& document, QWidget* over) {
    if (g_printPreview == nullptr) throw LedgerError("印刷の機能が組み込まれていません。");
    return g_printPreview(document, over);
}

Platform& CurrentPlatform() {
    static DesktopPlatform desktop;
    return g_installed ? *g_installed : desktop;
}

Platform* SetPlatform(Platform* platform) {
    Platform* old = g_installed;
    g_installed = platform;
    return old;
}

void ShowNotice(const Notice& notice) {
    Platform& platform = CurrentPlatform();
    const QString text = QString::fromStdString(notice.Text);
    switch (notice.Kind) {
        case NoticeKind::Plain:
            platform.ShowMessage(text);
            return;
        case NoticeKind::Warning:
            platform.ShowTypedMessage(MessageKind::Warning, text, OkButton);
            return;
        case NoticeKind::Error:
            platform.ShowTypedMessage(MessageKind::Error, text, OkButton);
            return;
        case NoticeKind::Information:
            platform.ShowTypedMessage(MessageKind::Information, text, OkButton);
            return;
    }
}

QString ErrorBoxText(const QString& message) {
    // A Japanese sentence that already ends in its own full stop gets no second one (「。.」).
    if (!message.isEmpty() && message.back() > QLatin1Char('.') &&
        !QStringLiteral("。！？").contains(message.back())) {
        return message + QLatin1Char('.');
    }
    return message;
}

bool RunGuarded(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        CurrentPlatform().ShowError(ErrorBoxText(QString::fromUtf8(e.what())));
    } catch (...) {
        CurrentPlatform().ShowError(ErrorBoxText(QStringLiteral("予期しないエラーが発生しました")));
    }
    return false;
}

}  // namespace kakeibo
