#include "core/sjis.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/errors.h"

namespace kakeibo {
namespace {

TEST(Cp932, DecodesTrailBytesThatLookLikeAsciiAndTheVendorCharacters) {
    // 表 and ソ end in 0x5C, the backslash of ASCII; a lone 0x5C stays a backslash.
    EXPECT_EQ(DecodeCp932("\x95\x5c\x83\x5c\x5c"), "表ソ\\");
    EXPECT_EQ(DecodeCp932("\x87\x40\x87\x8a"), "①㈱");        // NEC row 13
    EXPECT_EQ(DecodeCp932("\xfa\x40\xed\x40"), "ⅰ纊");        // IBM extensions
    EXPECT_EQ(DecodeCp932("\xc3\xbd\xc4\x81\x60"), "ﾃｽﾄ～");  // half-width kana
    EXPECT_EQ(EncodeCp932("表ソ\\①㈱ⅰﾃｽﾄ"),
              "\x95\x5c\x83\x5c\x5c\x87\x40\x87\x8a\xfa\x40\xc3\xbd\xc4");
}

TEST(Cp932, BytesThatAreNotCp932SurviveALoadAndASave) {
    // Stray bytes, a lead byte before a blank and a lead byte at the very end.
    const std::string bytes = "a\x80 \xa0\xfd\x81 b\x95\x5c\x81";
    const std::string text = DecodeCp932(bytes);
    EXPECT_EQ(text, "a\U0010FF80 \U0010FFA0\U0010FFFD\U0010FF81 b表\U0010FF81");
    EXPECT_EQ(EncodeCp932(text), bytes);
    // Only the loader may make them: typed or pasted, they are refused.
    EXPECT_FALSE(CanStoreAsCp932(text));
    EXPECT_EQ(FirstUnstorableCharacter(text), "\U0010FF80");

    // A stray lead byte before a character with two codes (EE 74, saved as FB 91): read as
    // the character, the save's EE FB would read back as another one. Its bytes are carried.
    EXPECT_EQ(DecodeCp932("\xee\xee\x74t"), "\U0010FFEE\U0010FFEEtt");
    EXPECT_EQ(EncodeCp932(DecodeCp932("\xee\xee\x74t")), "\xee\xee\x74t");
    EXPECT_EQ(DecodeCp932("\x80\xee\x74"), "\U0010FF80羡");  // no lead byte: read as usual

    // Longer than one conversion buffer, in both directions.
    std::string longBytes;
    for (int i = 0; i < 3000; ++i) longBytes += i % 100 == 0 ? "\x80" : "\x8b\x8d";
    EXPECT_EQ(EncodeCp932(DecodeCp932(longBytes)), longBytes);
}

TEST(Cp932, TextsCp932CannotHoldAreRefusedNeverReplaced) {
    try {
        EncodeCp932("食費€");
        FAIL() << "no error";
    } catch (const LedgerError& e) {
        EXPECT_STREQ(e.what(), "文字「€」はShift-JISで保存できません");
    }
    EXPECT_FALSE(CanStoreAsCp932("café"));
    EXPECT_EQ(FirstUnstorableCharacter("お弁当😀と🍙"), "😀");
    EXPECT_EQ(FirstUnstorableCharacter("お弁当"), "");
    EXPECT_TRUE(CanStoreAsCp932(""));
    // Characters that other Japanese encodings spell differently go in as their CP932 twins.
    EXPECT_EQ(EncodeCp932("〜−¥"), "\x81\x60\x81\x7c\x81\x8f");
}

TEST(Cp932, CarriedBytesAreRefusedAtInputAndBelow0x80AlsoByTheWriter) {
    for (const char* carrier :
         {"\U0010FF00", "\U0010FF0A", "\U0010FF2C", "\U0010FF7F", "\U0010FF80", "\U0010FFFF"}) {
        const std::string text = std::string("牛乳") + carrier + "卵";
        EXPECT_FALSE(CanStoreAsCp932(text)) << text;
        EXPECT_EQ(FirstUnstorableCharacter(text), carrier);
    }
    // The writer keeps what the loader made (0x80 and above) and nothing else: no text can
    // put a line end or a comma into a file.
    EXPECT_EQ(EncodeCp932("\U0010FF80"), "\x80");
    EXPECT_EQ(EncodeCp932("\U0010FFFF"), "\xff");
    for (const char* low :
         {"a\U0010FF0A", "\U0010FF0D", "\U0010FF2C", "\U0010FF00", "\U0010FF7F"}) {
        EXPECT_THROW(EncodeCp932(low), LedgerError) << low;
    }
    // The loader never makes one below 0x80: ASCII decodes as itself.
    EXPECT_EQ(DecodeCp932("a,\r\n\x7f"), "a,\r\n\x7f");
}

std::string Hex(const std::string& bytes) {
    std::string out;
    for (const unsigned char b : bytes)
        out += "0123456789abcdef"[b >> 4], out += "0123456789abcdef"[b & 15];
    return out;
}

TEST(Cp932, TheFastDecoderReadsEveryByteSequenceAsTheConverterDoes) {
    std::vector<std::string> inputs = {
        "",
        "2026,7,15,3,0,1,0,1280,1,shop,memo, with, commas",
        "2026,7,15,3,0,1,0,1280,1,\x83\x5a\x83\x75\x83\x93,\x97\x5b\x90\x48 \x82\xa0",
        "\x95\x5c\x83\x5c\x5c\x87\x40\x87\x8a\xfa\x40\xed\x40\xc3\xbd\xc4\x81\x60~",
        "a\x80 \xa0\xfd\x81 b\x95\x5c\x81",       // stray bytes, a lead byte at the end
        "\xee\xee\x74t\xee\xee\x74\xee\xfb\x91",  // carried lead bytes before two-code characters
        "\x85\x9f\x40\x81\x7f\x81",               // a lead byte without a trail, then a pair
    };
    // Every byte and every pair, alone and before ASCII.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            inputs.push_back({static_cast<char>(a), static_cast<char>(b)});
            inputs.push_back({static_cast<char>(a), static_cast<char>(b), 't'});
        }
    }
    // Runs of the bytes that decide where characters begin, in every mix.
    const std::string alphabet =
        "a,\x40\x7f\x80\x81\x9f\xa0\xa1\xdf\xe0\xed\xee\xfa\xfb\xfc\xfd\xff";
    uint32_t seed = 1;
    for (int k = 0; k < 20000; ++k) {
        std::string bytes;
        for (int len = k % 12 + 1; len > 0; --len) {
            seed = seed * 1664525 + 1013904223;
            bytes += alphabet[(seed >> 16) % alphabet.size()];
        }
        inputs.push_back(bytes);
    }
    for (const std::string& bytes : inputs) {
        const std::string text = DecodeCp932ByConverter(bytes);
        ASSERT_EQ(DecodeCp932(bytes), text) << Hex(bytes);
        // Line ends and commas are never part of a character: the loader finds the lines and
        // fields in the bytes and decodes each alone.
        std::string joined;
        for (size_t from = 0, at = 0; at <= bytes.size(); ++at) {
            if (at < bytes.size() &&
                std::string_view(",\r\n").find(bytes[at]) == std::string::npos) {
                continue;
            }
            const std::string piece = DecodeCp932(std::string_view(bytes).substr(from, at - from));
            ASSERT_EQ(piece.find_first_of(",\r\n"), std::string::npos) << Hex(bytes);
            joined += piece + bytes.substr(at, at < bytes.size() ? 1 : 0);
            from = at + 1;
        }
        ASSERT_EQ(joined, text) << Hex(bytes);
    }
}

// Outcome of an encoder: the bytes, or the message it refused the text with.
template <typename Encode>
std::string Outcome(Encode encode, const std::string& text) {
    try {
        return "bytes " + encode(text);
    } catch (const LedgerError& e) {
        return std::string("refused ") + e.what();
    }
}

std::string Utf8Of(char32_t cp) {
    std::string out;
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
    } else {
        if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        }
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    return out + static_cast<char>(0x80 | (cp & 0x3F));
}

TEST(Cp932, TheFastEncoderWritesEveryTextAsTheConverterDoes) {
    std::vector<std::string> inputs = {
        "",
        "2026,7,15,shop,memo",
        "表ソ\\①㈱ⅰﾃｽﾄ〜−¥",
        "食費€",
        "a\U0010FF80\U0010FFFF",
        "a\U0010FF0A",
        "\xe3\x80",
        "\xe3\xc0\x9c",
        "\xc0\x80",
        "\xed\xa0\x80",
    };
    // Every character of the first plane and the carriers, alone and between others.
    for (char32_t cp = 1; cp < 0x10000; ++cp) inputs.push_back("食" + Utf8Of(cp) + "a");
    for (char32_t cp = 0x10FF00; cp <= 0x10FFFF; ++cp) inputs.push_back(Utf8Of(cp));
    // Bytes that are not plain UTF-8, spelled every way.
    const std::string alphabet = "a\x80\x81\x9c\xa5\xbf\xc0\xc2\xe3\xed\xef\xf0\xf4\xf8\xff";
    uint32_t seed = 7;
    for (int k = 0; k < 20000; ++k) {
        std::string bytes;
        for (int len = k % 9 + 1; len > 0; --len) {
            seed = seed * 1664525 + 1013904223;
            bytes += alphabet[(seed >> 16) % alphabet.size()];
        }
        inputs.push_back(bytes);
    }
    for (const std::string& text : inputs) {
        ASSERT_EQ(Outcome(EncodeCp932, text), Outcome(EncodeCp932ByConverter, text)) << Hex(text);
    }
}

}  // namespace
}  // namespace kakeibo
