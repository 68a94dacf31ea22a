#include "ui/platform/platform.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <stdexcept>

#include "core/errors.h"
#include "ui/platform/placement.h"
#include "ui/support/fake_platform.h"

namespace kakeibo {
namespace {

TEST(ErrorBoxText, AppendsAFullStopAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(ErrorBoxText(QStringLiteral("'abc' は数値ではありません")),
              QStringLiteral("'abc' は数値ではありません."));
    // A Japanese sentence already ends in its own full stop: none is added (never 「。.」).
    EXPECT_EQ(ErrorBoxText(QStringLiteral("書き込めませんでした。")),
              QStringLiteral("書き込めませんでした。"));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("開けますか？")), QStringLiteral("開けますか？"));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("value 12")), QStringLiteral("value 12."));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("path a/")), QStringLiteral("path a/."));
    // "." itself and everything before it in the code table stay as they are.
    EXPECT_EQ(ErrorBoxText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("Stop!")), QStringLiteral("Stop!"));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("a-")), QStringLiteral("a-"));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("'x'")), QStringLiteral("'x'"));
    EXPECT_EQ(ErrorBoxText(QString()), QString());
}

TEST(RunGuarded, ShowsTheErrorStopsTheActionAndKeepsWhatItChanged) {
    test::FakePlatform platform;
    int steps = 0;
    const bool finished = RunGuarded([&] {
        ++steps;
        throw LedgerError("ファイル「/tmp/a.nbd」に書き込めませんでした");
        ++steps;  // never reached
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(steps, 1);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, test::FakePlatform::BoxType::Error);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("ファイル「/tmp/a.nbd」に書き込めませんでした."));

    EXPECT_TRUE(RunGuarded([&] { ++steps; }));
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(platform.Boxes.size(), 1u);

    EXPECT_FALSE(RunGuarded([] { throw 42; }));
    ASSERT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(platform.Boxes[1].Type, test::FakePlatform::BoxType::Error);
    EXPECT_EQ(platform.Boxes[1].Text, QStringLiteral("予期しないエラーが発生しました."));
}

// A box with a short message is still wide enough for its whole title beside the window
// manager's buttons: the title read 「Ni… 簿」 before.
TEST(DesktopMessageBoxes, AShortMessageKeepsTheWholeTitleInSight) {
    const std::function<void()> shows[] = {
        [] { CurrentPlatform().ShowMessage(QStringLiteral("OK?")); },
        [] { CurrentPlatform().ShowError(QStringLiteral("OK?")); },
        [] {
            CurrentPlatform().ShowTypedMessage(MessageKind::Information, QStringLiteral("OK?"),
                                               OkButton);
        },
    };
    for (size_t n = 0; n < std::size(shows); ++n) {
        int width = 0;
        int titleWidth = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QFont bold = box->font();
            bold.setBold(true);
            titleWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
            width = box->width();
            box->buttons().front()->click();
        });
        shows[n]();
        EXPECT_GT(titleWidth, 0) << n;
        // Room for the title and, beside it, the icon and three buttons of a title bar.
        EXPECT_GE(width, titleWidth + 100) << n;
    }
}

TEST(SetPlatform, AFakeStandsInOnlyForItsLifetime) {
    Platform* production = &CurrentPlatform();
    {
        test::FakePlatform platform;
        platform.TodayDate = Date{2028, 2, 29};
        EXPECT_EQ(&CurrentPlatform(), &platform);
        EXPECT_EQ(CurrentPlatform().Today(), (Date{2028, 2, 29}));
    }
    EXPECT_EQ(&CurrentPlatform(), production);
}

TEST(ReachablePosition, KeepsPlacesOnScreenAndMovesLostWindowsOntoTheNearestScreen) {
    const QList<QRect> one = {QRect(0, 0, 1024, 768)};
    const QSize form(583, 483);
    // On screen, wholly or mostly: exactly as saved.
    EXPECT_EQ(ReachablePosition(QRect(QPoint(427, 81), form), one), QPoint(427, 81));
    EXPECT_EQ(ReachablePosition(QRect(QPoint(600, 300), form), one), QPoint(600, 300));
    EXPECT_EQ(ReachablePosition(QRect(QPoint(-200, 81), form), one), QPoint(-200, 81));
    // Wholly or mostly off every screen: onto the nearest one, as little moved as can be.
    EXPECT_EQ(ReachablePosition(QRect(QPoint(-5000, 81), form), one), QPoint(0, 81));
    EXPECT_EQ(ReachablePosition(QRect(QPoint(900, 700), form), one), QPoint(441, 285));
    EXPECT_EQ(ReachablePosition(QRect(QPoint(100, -470), form), one), QPoint(100, 0));
    // Two screens side by side: the one nearest to the window takes it.
    const QList<QRect> two = {QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
    EXPECT_EQ(ReachablePosition(QRect(QPoint(1500, 300), form), two), QPoint(1500, 300));
    EXPECT_EQ(ReachablePosition(QRect(QPoint(9000, 300), form), two), QPoint(2304 - 583, 300));
    EXPECT_EQ(ReachablePosition(QRect(QPoint(-9000, 900), form), two), QPoint(0, 768 - 483));
    // No screen known: kept.
    EXPECT_EQ(ReachablePosition(QRect(QPoint(-5000, 81), form), {}), QPoint(-5000, 81));
}

TEST(LeastCoveringPlace, FindsTheFreeSideOrCoversAsLittleAsAnyPlaceOnTheScreen) {
    const QSize wanted(900, 620);
    const auto covered = [](const QRect& place, const QList<QRect>& others) {
        int64_t sum = 0;
        for (const QRect& other : others) {
            const QRect both = place.intersected(other);
            sum += both.isEmpty() ? 0 : int64_t{both.width()} * both.height();
        }
        return sum;
    };
    for (const QSize screenSize : {QSize(1920, 1080), QSize(1280, 1024), QSize(1024, 768)}) {
        const QRect screen(QPoint(0, 0), screenSize);
        // The strip at the top, the entry form and the data sheet as the first start lays them.
        const QList<QRect> others = {QRect(0, 0, screenSize.width(), 80), QRect(427, 81, 583, 483),
                                     QRect(0, 81, 425, screenSize.height() - 150)};
        const QRect place = LeastCoveringPlace(wanted, others, screen);
        EXPECT_EQ(place.size(), wanted) << screenSize.width();
        EXPECT_TRUE(screen.contains(place)) << screenSize.width();
        if (screenSize.width() == 1920) {
            EXPECT_EQ(place, QRect(1010, 80, 900, 620));  // the free right half
            continue;
        }
        // No place of the screen, pixel row by row, covers less.
        const int64_t least = covered(place, others);
        for (int top = 0; top + wanted.height() <= screenSize.height(); ++top) {
            for (int left = 0; left + wanted.width() <= screenSize.width(); left += 4) {
                ASSERT_LE(least, covered(QRect(QPoint(left, top), wanted), others))
                    << screenSize.width() << ": " << left << "," << top;
            }
        }
    }
    // Larger than the screen: the whole screen.
    const QRect small(0, 0, 800, 600);
    EXPECT_EQ(LeastCoveringPlace(wanted, {QRect(0, 0, 800, 80)}, small), small);
}

// The graph sheet's first place among the strip, the entry form and the data sheet: beside them
// where the screen has room, smaller when only that leaves them in sight, else over the sheet.
TEST(FirstPlace, CoversNoWindowWhereTheScreenHasRoomElseTheSheetBeforeTheForm) {
    const QSize wanted(970, 625);
    const QSize least(600, 400);
    const auto area = [](const QRect& a, const QRect& b) {
        const QRect both = a.intersected(b);
        return both.isEmpty() ? 0 : int64_t{both.width()} * both.height();
    };
    const struct {
        QSize screen;
        int sheetWidth;  // the first start widens it on a wide screen
        bool room;
    } rows[] = {
        {QSize(1920, 1080), 585, true},  // 750 pixels free on the right
        {QSize(1280, 1024), 425, true},  // room below the entry form
        {QSize(1024, 768), 425, false},
    };
    for (const auto& row : rows) {
        const QRect screen(QPoint(0, 0), row.screen);
        const QRect strip(0, 0, row.screen.width(), 80);
        const QRect form(row.sheetWidth + 2, 81, 583, 483);
        const QRect sheet(0, 81, row.sheetWidth, row.screen.height() - 150);
        const QRect place = FirstPlace(wanted, least, {strip, form}, screen, {sheet});
        SCOPED_TRACE(row.screen.width());
        EXPECT_TRUE(screen.contains(place));
        EXPECT_GE(place.width(), least.width());
        EXPECT_GE(place.height(), least.height());
        EXPECT_EQ(area(place, strip), 0);
        if (row.room) {
            EXPECT_EQ(area(place, form) + area(place, sheet), 0);
            // As large as the room allows, up to the size it wants.
            EXPECT_GT(place.width() * place.height(), 600 * 450);
        } else {
            EXPECT_GT(area(place, sheet), 0);
            EXPECT_LT(area(place, form), area(place, sheet));
        }
    }
    // With room for all of it, the size it wants.
    EXPECT_EQ(FirstPlace(wanted, least, {}, QRect(0, 0, 1920, 1080)).size(), wanted);
}

}  // namespace
}  // namespace kakeibo
