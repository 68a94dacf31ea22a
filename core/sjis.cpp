#include "core/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/errors.h"

namespace kakeibo {

namespace {

constexpr char32_t kCarrierBase = 0x10FF00;  // U+10FF00 + byte carries an undecodable byte

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw LedgerError(std::string("文字コード変換を準備できません: ") + from + " -> " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; returns the number of input bytes consumed.
    // errno-like result: 0 on success, EILSEQ/EINVAL at the first byte that failed.
    std::pair<size_t, int> Convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                return {in.size() - inLeft, errno};
            }
        }
        // Flush any shift state.
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        return {in.size(), 0};
    }

private:
    iconv_t cd_;
};

Converter& Decoder() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& Encoder() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Length of the UTF-8 sequence starting at s[i] (1 for a stray byte) and its code point.
std::pair<size_t, char32_t> NextUtf8(std::string_view s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0x80           ? 1
                 : (b >> 5) == 0x6  ? 2
                 : (b >> 4) == 0xE  ? 3
                 : (b >> 3) == 0x1E ? 4
                                    : 1;
    if (i + len > s.size()) len = 1;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return {len, cp};
}

// Characters that other Japanese encodings map differently; stored as their CP932 twins.
char32_t Cp932Twin(char32_t cp) {
    switch (cp) {
        case 0x301C:
            return 0xFF5E;  // WAVE DASH -> FULLWIDTH TILDE
        case 0x2016:
            return 0x2225;  // DOUBLE VERTICAL LINE -> PARALLEL TO
        case 0x2212:
            return 0xFF0D;  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        case 0x00A2:
            return 0xFFE0;  // CENT SIGN
        case 0x00A3:
            return 0xFFE1;  // POUND SIGN
        case 0x00AC:
            return 0xFFE2;  // NOT SIGN
        case 0x2014:
            return 0x2015;  // EM DASH -> HORIZONTAL BAR
        case 0x00A5:
            return 0xFFE5;  // YEN SIGN -> FULLWIDTH YEN SIGN
        default:
            return cp;
    }
}

bool IsCarrier(char32_t cp, size_t len) {
    return len == 4 && cp >= kCarrierBase && cp <= kCarrierBase + 0xFF;
}

// Encodes; on failure returns false and the offending character in `bad`. Carried bytes of
// 0x80 and above go out as themselves when `carriedBytes`, otherwise they are refused.
bool TryEncode(std::string_view utf8, std::string& out, std::string& bad,
               bool carriedBytes = true) {
    std::string run;  // UTF-8 text waiting for iconv
    auto flush = [&]() {
        if (run.empty()) return true;
        auto [used, err] = Encoder().Convert(run, out);
        if (err != 0) {
            bad = std::string(run.substr(used, NextUtf8(run, used).first));
            return false;
        }
        run.clear();
        return true;
    };
    for (size_t i = 0; i < utf8.size();) {
        auto [len, cp] = NextUtf8(utf8, i);
        if (IsCarrier(cp, len)) {
            if (!flush()) return false;
            if (!carriedBytes || cp < kCarrierBase + 0x80) {
                bad = std::string(utf8.substr(i, len));
                return false;
            }
            out.push_back(static_cast<char>(cp - kCarrierBase));
        } else if (char32_t twin = Cp932Twin(cp); twin != cp) {
            AppendUtf8(run, twin);
        } else {
            run.append(utf8.substr(i, len));
        }
        i += len;
    }
    return flush();
}

// What the converter writes for each character met so far, kept per thread, so that a save
// asks it once per distinct character rather than once per line.
class EncodeMemo {
public:
    struct Encoded {
        static constexpr uint8_t kUnknown = 0xFF;
        static constexpr uint8_t kFailed = 0xFE;
        uint8_t Size = kUnknown;  // bytes, or a mark above
        char Bytes[3] = {};
    };

    EncodeMemo() {
        std::string ascii;
        for (int b = 0; b < 0x80; ++b) ascii.push_back(static_cast<char>(b));
        std::string out;
        AsciiIsItself = Encoder().Convert(ascii, out).second == 0 && out == ascii;
    }

    const Encoded& Of(char32_t cp) {
        auto& row = rows_[cp >> 8];
        if (!row) row = std::make_unique<std::array<Encoded, 256>>();
        Encoded& e = (*row)[cp & 0xFF];
        if (e.Size == Encoded::kUnknown) {
            std::string utf8;
            AppendUtf8(utf8, cp);
            std::string out;
            const bool done = Encoder().Convert(utf8, out).second == 0;
            e.Size = done && out.size() <= sizeof e.Bytes ? static_cast<uint8_t>(out.size())
                                                          : Encoded::kFailed;
            if (e.Size != Encoded::kFailed) std::copy(out.begin(), out.end(), e.Bytes);
        }
        return e;
    }

    bool AsciiIsItself = false;

private:
    std::array<std::unique_ptr<std::array<Encoded, 256>>, (0x10FFFF >> 8) + 1> rows_{};
};

EncodeMemo& TheEncodeMemo() {
    thread_local EncodeMemo memo;
    return memo;
}

// True when `bytes` is how UTF-8 writes `cp`, and nothing else.
bool IsShortestUtf8(std::string_view bytes, char32_t cp) {
    char spelled[4];
    size_t size = 0;
    if (cp < 0x80) {
        spelled[size++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
        spelled[size++] = static_cast<char>(0xC0 | (cp >> 6));
        spelled[size++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        spelled[size++] = static_cast<char>(0xE0 | (cp >> 12));
        spelled[size++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        spelled[size++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        spelled[size++] = static_cast<char>(0xF0 | (cp >> 18));
        spelled[size++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        spelled[size++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        spelled[size++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return bytes == std::string_view(spelled, size);
}

// EncodeCp932 for text every character of which the memo can answer; nothing where the
// converter has to decide (a character it refuses, bytes that are not plain UTF-8).
std::optional<std::string> EncodeKnown(std::string_view utf8) {
    EncodeMemo& memo = TheEncodeMemo();
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80 && memo.AsciiIsItself) {
            out.push_back(utf8[i++]);
            continue;
        }
        const auto [len, cp] = NextUtf8(utf8, i);
        if (IsCarrier(cp, len)) {
            if (cp < kCarrierBase + 0x80) return std::nullopt;
            out.push_back(static_cast<char>(cp - kCarrierBase));
        } else {
            // As TryEncode does: a twin goes in whatever bytes spelled it.
            const char32_t twin = Cp932Twin(cp);
            if (twin == cp && !IsShortestUtf8(utf8.substr(i, len), cp)) return std::nullopt;
            const EncodeMemo::Encoded& e = memo.Of(twin);
            if (e.Size == EncodeMemo::Encoded::kFailed) return std::nullopt;
            out.append(e.Bytes, e.Size);
        }
        i += len;
    }
    return out;
}

// True for one double-byte character that a save writes as other bytes (the NEC and IBM
// characters that have two codes).
bool IsRewrittenPair(std::string_view pair) {
    std::string text;
    if (Decoder().Convert(pair, text).second != 0) return false;
    std::string back;
    return Encoder().Convert(text, back).second != 0 || back != pair;
}

void AppendCarried(std::string& out, char byte) {
    AppendUtf8(out, kCarrierBase + static_cast<unsigned char>(byte));
}

// A carried lead byte would pair with the other code a save writes for the character after
// it, and the text read back would change: that character's bytes are carried too. Returns
// how many bytes of `rest` it carried.
size_t CarryRewrittenPairs(char carried, std::string_view rest, std::string& out) {
    size_t used = 0;
    while (IsCp932LeadByte(static_cast<unsigned char>(carried)) && rest.size() - used >= 2 &&
           IsRewrittenPair(rest.substr(used, 2))) {
        AppendCarried(out, rest[used]);
        // A trail byte below 0x80 is a plain ASCII character and writes back as itself;
        // carried bytes stay at 0x80 and above, which the writer insists on.
        if (static_cast<unsigned char>(rest[used + 1]) < 0x80) {
            out.push_back(rest[used + 1]);
        } else {
            AppendCarried(out, rest[used + 1]);
        }
        used += 2;
    }
    return used;
}

// What the converter makes of one byte, or of a pair, when it meets it at the start of a
// character.
struct Decoded {
    static constexpr uint8_t kUnknown = 0xFF;   // not asked yet
    static constexpr uint8_t kFailed = 0xFE;    // not CP932: carried
    static constexpr uint8_t kNotAlone = 0xFD;  // a byte that is no character alone
    static constexpr uint8_t kUnusual = 0xFC;   // an answer the memo does not keep
    static constexpr uint8_t kLongest = 7;      // a character's bytes at most
    uint8_t Size = kUnknown;                    // bytes of Utf8, or a mark above
    char Utf8[kLongest] = {};
};

constexpr Decoded kFailedStep{Decoded::kFailed, {}};
constexpr Decoded kUnknownStep{};
constexpr size_t kKeptBuffer = 4096;  // bytes of input

// The converter's answers, kept per thread: a year's files hold a few hundred distinct
// characters, and asking iconv once per line cost most of a load.
class DecodeMemo {
public:
    DecodeMemo() {
        std::string ascii;
        for (int b = 0; b < 0x80; ++b) ascii.push_back(static_cast<char>(b));
        std::string out;
        AsciiIsItself = Decoder().Convert(ascii, out).second == 0 && out == ascii;
    }

    // The memo's entry for a byte, or for a pair; kUnknown when the converter was not asked.
    const Decoded& Known(unsigned char b) const { return single_[b]; }
    const Decoded& KnownPair(unsigned char lead, unsigned char trail) const {
        const auto& row = pairs_[lead];
        return row ? (*row)[trail] : kUnknownStep;
    }

    // Asks the converter what Known and KnownPair did not know about the character at
    // `bytes[i]` and points `step` at the answer: a character, or kFailed. Returns the bytes
    // the step takes, or 0 when the memo cannot stand for the converter there.
    [[gnu::noinline]] size_t Step(std::string_view bytes, size_t i, const Decoded*& step) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        Decoded& single = single_[b];
        if (single.Size == Decoded::kUnknown) single = Ask(bytes.substr(i, 1));
        step = &single;
        if (single.Size != Decoded::kNotAlone) return single.Size == Decoded::kUnusual ? 0 : 1;
        // Only a pair can tell; a byte alone at the end fails as the converter fails it.
        if (i + 1 == bytes.size()) {
            step = &kFailedStep;
            return 1;
        }
        auto& row = pairs_[b];
        if (!row) row = std::make_unique<std::array<Decoded, 256>>();
        Decoded& pair = (*row)[static_cast<unsigned char>(bytes[i + 1])];
        if (pair.Size == Decoded::kUnknown) pair = Ask(bytes.substr(i, 2));
        step = &pair;
        return pair.Size == Decoded::kUnusual ? 0 : 2;
    }

    bool AsciiIsItself = false;
    std::string Buffer;  // where DecodeCp932 makes its text

private:
    // What the converter reads at the start of `bytes` when that is all it is given.
    static Decoded Ask(std::string_view bytes) {
        std::string out;
        const auto [used, err] = Decoder().Convert(bytes, out);
        Decoded d;
        if (err == 0 && out.size() <= Decoded::kLongest) {
            d.Size = static_cast<uint8_t>(out.size());
            std::copy(out.begin(), out.end(), d.Utf8);
        } else {
            // A pair the converter wants more of would be read further in a longer text.
            d.Size = err == 0 || used != 0 ? Decoded::kUnusual
                     : bytes.size() == 1   ? Decoded::kNotAlone
                     : err == EILSEQ       ? Decoded::kFailed
                                           : Decoded::kUnusual;
        }
        return d;
    }

    std::array<Decoded, 256> single_{};
    std::array<std::unique_ptr<std::array<Decoded, 256>>, 256> pairs_{};
};

DecodeMemo& Memo() {
    thread_local DecodeMemo memo;
    return memo;
}

}  // namespace

std::string DecodeCp932ByConverter(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    while (!bytes.empty()) {
        auto [used, err] = Decoder().Convert(bytes, out);
        if (err == 0) break;
        // Carry the byte that is not CP932 through unchanged.
        const char carried = bytes[used];
        AppendCarried(out, carried);
        bytes.remove_prefix(used + 1);
        bytes.remove_prefix(CarryRewrittenPairs(carried, bytes, out));
    }
    return out;
}

std::string DecodeCp932(std::string_view bytes) {
    DecodeMemo& memo = Memo();
    // No step writes more than 7 bytes a byte read (a character of 1 or 2 bytes as at most 7,
    // a carried byte as 4), so the text is made in place and copied out once at its size.
    // A long text gets a buffer of its own, so the thread keeps only a line's worth.
    std::string own;
    std::string& buffer = bytes.size() <= kKeptBuffer ? memo.Buffer : own;
    if (buffer.size() < bytes.size() * 7) buffer.resize(bytes.size() * 7);
    char* const begin = buffer.data();
    char* out = begin;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    const bool asciiIsItself = memo.AsciiIsItself;
    size_t i = 0;
    while (i < n) {
        if (in[i] < 0x80 && asciiIsItself) {
            *out++ = static_cast<char>(in[i++]);
            continue;
        }
        // What the memo already knows, without a call.
        const Decoded* step = &memo.Known(in[i]);
        size_t size = 1;
        if (step->Size == Decoded::kNotAlone && i + 1 < n) {
            step = &memo.KnownPair(in[i], in[i + 1]);
            size = 2;
        }
        if (step->Size > Decoded::kLongest) {
            size = memo.Step(bytes, i, step);
            if (size == 0) {
                // Nothing the memo can stand for: the converter reads the rest as it always did.
                return std::string(begin, out) + DecodeCp932ByConverter(bytes.substr(i));
            }
        }
        if (step->Size <= Decoded::kLongest) {
            std::memcpy(out, step->Utf8, sizeof step->Utf8);
            out += step->Size;
            i += size;
            continue;
        }
        std::string carried;
        AppendCarried(carried, bytes[i]);
        ++i;
        i += CarryRewrittenPairs(bytes[i - 1], bytes.substr(i), carried);
        std::memcpy(out, carried.data(), carried.size());
        out += carried.size();
    }
    return std::string(begin, out);
}

std::string EncodeCp932(std::string_view utf8) {
    if (auto known = EncodeKnown(utf8)) return std::move(*known);
    return EncodeCp932ByConverter(utf8);
}

std::string EncodeCp932ByConverter(std::string_view utf8) {
    std::string out;
    std::string bad;
    if (!TryEncode(utf8, out, bad)) {
        throw LedgerError("文字「" + bad + "」はShift-JISで保存できません");
    }
    return out;
}

bool CanStoreAsCp932(std::string_view utf8) {
    return FirstUnstorableCharacter(utf8).empty();
}

std::string FirstUnstorableCharacter(std::string_view utf8) {
    std::string out;
    std::string bad;
    if (TryEncode(utf8, out, bad, false)) return {};
    return bad.empty() ? std::string(" ") : bad;
}

bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string DecodeCp932Runs(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::unordered_map<std::string_view, std::string> decoded;
    for (size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            out += bytes[i++];
            continue;
        }
        // A run ends before an ASCII byte that is not the second byte of a character.
        size_t end = i;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80) {
            end += IsCp932LeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        }
        end = std::min(end, bytes.size());
        const std::string_view run = bytes.substr(i, end - i);
        auto it = decoded.find(run);
        if (it == decoded.end()) it = decoded.emplace(run, DecodeCp932(run)).first;
        out += it->second;
        i = end;
    }
    return out;
}

}  // namespace kakeibo
