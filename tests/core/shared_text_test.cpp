#include "core/shared_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kakeibo {
namespace {

TEST(SharedText, CopiesShareOneTextAndCompareByContents) {
    const std::vector<std::string> texts = {
        "",
        "八百屋",
        std::string("a\0b", 3),
        std::string("a\0c", 3),
        std::string(300, 'x') + "スーパー",
    };
    for (size_t row = 0; row < texts.size(); ++row) {
        const std::string& want = texts[row];
        SCOPED_TRACE(row);
        const SharedText text = want;
        EXPECT_EQ(text.str(), want);
        EXPECT_EQ(std::string_view(text), want);
        EXPECT_EQ(text.size(), want.size());
        EXPECT_EQ(text.empty(), want.empty());
        EXPECT_EQ(std::string_view(text.data(), text.size()), want);
        EXPECT_EQ(SharedText(std::string_view(want)), text);

        // Copies, assignments and moves hand over the same text, not a new one.
        SharedText copy = text;
        EXPECT_EQ(copy.str().data(), text.str().data());
        SharedText assigned = "other";
        assigned = copy;
        EXPECT_EQ(assigned.str().data(), text.str().data());
        const SharedText& self = assigned;
        assigned = self;
        EXPECT_EQ(assigned, want);
        SharedText moved = std::move(copy);
        EXPECT_EQ(moved.str().data(), text.str().data());
        EXPECT_TRUE(copy.empty());
        EXPECT_EQ(copy, "");
        assigned = "other";
        EXPECT_EQ(text, want) << "changing a copy must leave the original as it was";

        // An equal text made apart compares equal; every other row differs.
        for (size_t other = 0; other < texts.size(); ++other) {
            const bool same = other == row;
            EXPECT_EQ(text == SharedText(texts[other]), same) << other;
            EXPECT_EQ(text == texts[other], same) << other;
            EXPECT_EQ(text == std::string_view(texts[other]), same) << other;
            EXPECT_EQ(texts[other] == text, same) << other;
        }
    }
    // A C string ends at its first NUL; every empty text is the same one.
    EXPECT_EQ(SharedText("a\0b"), "a");
    EXPECT_EQ(SharedText(std::string()).str().data(), SharedText().str().data());
}

}  // namespace
}  // namespace kakeibo
