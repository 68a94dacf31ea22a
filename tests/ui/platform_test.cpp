#include "ui/platform/platform.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kakeibo
