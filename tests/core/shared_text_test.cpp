#include "core/shared_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kakeibo {
namespace {

TEST(SharedText, CopiesShareOneTextAndCompareByContents) {
    const std::vector<std::string> texts = {"", "八百屋", std::string("a\0b", 3),
                                            std::string("a\0c", 3), std::string(300, 'x')};
    for (size_t row = 0; row < texts.size(); ++row) {
        SCOPED_TRACE(row);
        const SharedText text = std::string_view(texts[row]);
        EXPECT_EQ(std::string_view(text.data(), text.size()), texts[row]);
        EXPECT_EQ(text.empty(), texts[row].empty());
        // Copies and moves hand over the same text; replacing one leaves the others.
        SharedText copy = text;
        SharedText moved = "other";
        moved = std::move(copy);
        EXPECT_EQ(moved.str().data(), text.str().data());
        EXPECT_TRUE(copy.empty());
        moved = "other";
        EXPECT_EQ(text, texts[row]);
        for (size_t other = 0; other < texts.size(); ++other) {
            EXPECT_EQ(text == SharedText(texts[other]), other == row) << other;
            EXPECT_EQ(texts[other] == text, other == row) << other;
        }
    }
}

}  // namespace
}  // namespace kakeibo
