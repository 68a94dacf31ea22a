#include "core/files/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>
#include <utility>

#include "core/files/file_io.h"
#include "core/files/ledger_paths.h"
#include "core/files/program_folder.h"
#include "core/files/save_intent.h"
#include "core/numbers.h"

namespace kakeibo {

namespace {

constexpr std::string_view kMagic = "KAKEIBOJ";
constexpr uint8_t kHeaderRecord = 1;
constexpr uint8_t kChangeRecord = 2;
constexpr uint8_t kSaveRecord = 3;
// Follows a change's After side: the Before side comes too (older journals end there).
constexpr uint8_t kBeforeImages = 1;
constexpr size_t kFrameSize = 4 + 8;  // length and hash before each payload
// No change of one year's ledger comes near this; a larger length is a damaged record.
constexpr uint32_t kLargestPayload = 64u << 20;

// Little-endian numbers and length-prefixed texts.
class Out {
public:
    void U8(uint8_t v) { bytes_ += static_cast<char>(v); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void U64(uint64_t v) {
        for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void I64(int64_t v) { U64(static_cast<uint64_t>(v)); }
    void Text(const std::string& s) {
        U32(static_cast<uint32_t>(s.size()));
        bytes_ += s;
    }
    std::string& Bytes() { return bytes_; }

private:
    std::string bytes_;
};

// Reads what Out wrote; running past the end marks the input bad and yields zeros.
class In {
public:
    explicit In(std::string_view bytes) : bytes_(bytes) {}
    uint8_t U8() {
        if (pos_ >= bytes_.size()) {
            bad_ = true;
            return 0;
        }
        return static_cast<uint8_t>(bytes_[pos_++]);
    }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(U8()) << (8 * i);
        return v;
    }
    uint64_t U64() {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(U8()) << (8 * i);
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    int64_t I64() { return static_cast<int64_t>(U64()); }
    std::string Text() {
        const uint32_t n = U32();
        if (n > bytes_.size() - std::min(pos_, bytes_.size())) {
            bad_ = true;
            return {};
        }
        std::string s(bytes_.substr(pos_, n));
        pos_ += n;
        return s;
    }
    // A count that cannot exceed `largest` in a sound record.
    uint32_t Count(uint32_t largest) {
        const uint32_t n = U32();
        if (n > largest) {
            bad_ = true;
            return 0;
        }
        return n;
    }
    bool Bad() const { return bad_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
    bool bad_ = false;
};

void PutMoment(Out& out, const Moment& m) {
    for (int v : {m.Day.Year, m.Day.Month, m.Day.Day, m.Hour, m.Minute, m.Second}) out.I32(v);
}

Moment GetMoment(In& in) {
    Moment m;
    m.Day.Year = in.I32();
    m.Day.Month = in.I32();
    m.Day.Day = in.I32();
    m.Hour = in.I32();
    m.Minute = in.I32();
    m.Second = in.I32();
    return m;
}

void PutEntry(Out& out, const EntryRecord& e, const EntryText& text) {
    // Every field by name: an added field fails to compile here until the journal keeps it.
    const auto& [year, month, day, item1, sub1, item2, sub2, amount, tax] = e;
    for (int32_t v : {year, month, day, item1, sub1, item2, sub2, amount, tax}) out.I32(v);
    out.Text(text.Shop);
    out.Text(text.Memo);
}

void GetEntry(In& in, EntryRecord& e, EntryText& text) {
    auto& [year, month, day, item1, sub1, item2, sub2, amount, tax] = e;
    for (int32_t* v : {&year, &month, &day, &item1, &sub1, &item2, &sub2, &amount, &tax}) {
        *v = in.I32();
    }
    text.Shop = in.Text();
    text.Memo = in.Text();
}

void PutSettings(Out& out, const SettingsState& s) {
    const auto& [items, subItems, opening, taxRounding, reduced, shopMax, memoMax, hideZero] = s;
    for (const ItemRecord& item : items) {
        out.Text(item.Name);
        out.Text(item.Kind);
    }
    for (const auto& row : subItems) {
        for (const std::string& name : row) out.Text(name);
    }
    for (const auto& row : opening) {
        for (int64_t v : row) out.I64(v);
    }
    out.I32(taxRounding);
    for (const bool marked : reduced) out.U8(marked ? 1 : 0);
    out.I32(shopMax);
    out.I32(memoMax);
    out.U8(hideZero ? 1 : 0);
}

SettingsState GetSettings(In& in) {
    SettingsState s;
    for (ItemRecord& item : s.Items) {
        item.Name = in.Text();
        item.Kind = in.Text();
    }
    for (auto& row : s.SubItems) {
        for (std::string& name : row) name = in.Text();
    }
    for (auto& row : s.Opening) {
        for (int64_t& v : row) v = in.I64();
    }
    s.TaxRounding = in.I32();
    for (bool& marked : s.ReducedRateItems) marked = in.U8() != 0;
    s.ShopHistoryMax = in.I32();
    s.MemoHistoryMax = in.I32();
    s.HideZeroItems = in.U8() != 0;
    return s;
}

std::string ChangePayload(const JournalRecord& record) {
    const auto& [kind, slots, budgets, settingsBefore, settingsAfter] = record.Made;
    Out out;
    out.U8(kChangeRecord);
    PutMoment(out, record.When);
    out.I32(static_cast<int32_t>(kind));
    out.U32(static_cast<uint32_t>(slots.size()));
    for (const SlotSpan& span : slots) {
        out.I32(span.Month);
        out.I32(span.First);
        const size_t n = std::min(span.After.size(), span.AfterText.size());
        out.U32(static_cast<uint32_t>(n));
        for (size_t i = 0; i < n; ++i) PutEntry(out, span.After[i], span.AfterText[i]);
    }
    out.U32(static_cast<uint32_t>(budgets.size()));
    for (const BudgetCell& cell : budgets) {
        out.I32(cell.Month);
        out.I32(cell.Item);
        out.I32(cell.After);
    }
    out.U8(settingsAfter ? 1 : 0);
    if (settingsAfter) PutSettings(out, *settingsAfter);
    // What the change found, so that a replay onto files changed since can tell a slot it may
    // write from one that holds something else now. A reader of the After side alone stops
    // before it.
    out.U8(kBeforeImages);
    for (const SlotSpan& span : slots) {
        const size_t n = std::min(
            {span.After.size(), span.AfterText.size(), span.Before.size(), span.BeforeText.size()});
        out.U32(static_cast<uint32_t>(n));
        for (size_t i = 0; i < n; ++i) PutEntry(out, span.Before[i], span.BeforeText[i]);
    }
    for (const BudgetCell& cell : budgets) out.I32(cell.Before);
    out.U8(settingsAfter && settingsBefore ? 1 : 0);
    if (settingsAfter && settingsBefore) PutSettings(out, *settingsBefore);
    return std::move(out.Bytes());
}

std::string SavePayload(const std::vector<FileStamp>& files) {
    Out out;
    out.U8(kSaveRecord);
    out.U32(static_cast<uint32_t>(files.size()));
    for (const FileStamp& f : files) {
        out.Text(f.Path);
        out.U8(f.Exists ? 1 : 0);
        out.I64(f.Size);
        out.U64(f.Hash);
    }
    return std::move(out.Bytes());
}

bool GetSave(In& in, std::vector<FileStamp>& files) {
    const uint32_t n = in.Count(64);
    for (uint32_t k = 0; k < n && !in.Bad(); ++k) {
        FileStamp f;
        f.Path = in.Text();
        f.Exists = in.U8() != 0;
        f.Size = in.I64();
        f.Hash = in.U64();
        files.push_back(std::move(f));
    }
    return !in.Bad();
}

// A change as the journal keeps it; the Before side is left as large as the After side so
// the change is whole, and replay fills it from the ledger.
bool GetChange(In& in, JournalRecord& record) {
    record.When = GetMoment(in);
    Change& c = record.Made;
    c.Kind = static_cast<ChangeKind>(in.I32());
    const uint32_t spans = in.Count(kMonthCount * kSlotCount);
    for (uint32_t k = 0; k < spans && !in.Bad(); ++k) {
        SlotSpan span;
        span.Month = in.I32();
        span.First = in.I32();
        const uint32_t n = in.Count(kSlotCount);
        if (span.Month < 1 || span.Month > kMonthCount || span.First < 0 ||
            static_cast<int64_t>(span.First) + n > kSlotCount) {
            return false;
        }
        span.After.resize(n);
        span.AfterText.resize(n);
        for (uint32_t i = 0; i < n; ++i) GetEntry(in, span.After[i], span.AfterText[i]);
        span.Before.resize(n);
        span.BeforeText.resize(n);
        c.Slots.push_back(std::move(span));
    }
    const uint32_t cells = in.Count(13 * kItemCount * kMonthCount);
    for (uint32_t k = 0; k < cells && !in.Bad(); ++k) {
        BudgetCell cell;
        cell.Month = in.I32();
        cell.Item = in.I32();
        cell.After = in.I32();
        if (cell.Month < 0 || cell.Month > kMonthCount || cell.Item < 0 ||
            cell.Item >= kItemCount) {
            return false;
        }
        c.Budgets.push_back(cell);
    }
    if (in.U8() != 0) {
        c.SettingsAfter = GetSettings(in);
        c.SettingsBefore = c.SettingsAfter;
    }
    if (in.Bad() || in.AtEnd()) return !in.Bad();
    if (in.U8() != kBeforeImages) return false;
    for (SlotSpan& span : c.Slots) {
        if (in.Count(kSlotCount) != span.After.size()) return false;
        for (size_t i = 0; i < span.Before.size(); ++i) {
            GetEntry(in, span.Before[i], span.BeforeText[i]);
        }
    }
    for (BudgetCell& cell : c.Budgets) cell.Before = in.I32();
    if (in.U8() != 0) {
        if (!c.SettingsAfter) return false;
        c.SettingsBefore = GetSettings(in);
    }
    record.KnownBefore = !in.Bad();
    return !in.Bad();
}

std::string Frame(const std::string& payload) {
    Out out;
    out.U32(static_cast<uint32_t>(payload.size()));
    out.U64(HashBytes(payload));
    out.Bytes() += payload;
    return std::move(out.Bytes());
}

std::string HeaderPayload(const JournalHeader& h) {
    Out out;
    out.U8(kHeaderRecord);
    out.U32(h.Version);
    out.Text(h.Dir);
    out.Text(h.Name);
    PutMoment(out, h.Created);
    out.U32(static_cast<uint32_t>(h.Files.size()));
    for (const FileStamp& f : h.Files) {
        out.Text(f.Path);
        out.U8(f.Exists ? 1 : 0);
        out.I64(f.Size);
        out.I64(f.ModifiedNs);
        out.U64(f.Hash);
    }
    return std::move(out.Bytes());
}

bool GetHeader(In& in, JournalHeader& h) {
    if (in.U8() != kHeaderRecord) return false;
    h.Version = in.U32();
    if (h.Version > kJournalVersion) return true;  // the caller says it is too new
    h.Dir = in.Text();
    h.Name = in.Text();
    h.Created = GetMoment(in);
    const uint32_t files = in.Count(64);
    for (uint32_t k = 0; k < files && !in.Bad(); ++k) {
        FileStamp f;
        f.Path = in.Text();
        f.Exists = in.U8() != 0;
        f.Size = in.I64();
        f.ModifiedNs = in.I64();
        f.Hash = in.U64();
        h.Files.push_back(std::move(f));
    }
    return !in.Bad();
}

// The payload of the frame at `pos`, or nothing when the frame is cut off or damaged.
std::optional<std::string_view> NextPayload(std::string_view bytes, size_t pos) {
    if (bytes.size() - pos < kFrameSize) return std::nullopt;
    In frame(bytes.substr(pos, kFrameSize));
    const uint32_t length = frame.U32();
    const uint64_t hash = frame.U64();
    if (length > kLargestPayload || length > bytes.size() - pos - kFrameSize) return std::nullopt;
    const std::string_view payload = bytes.substr(pos + kFrameSize, length);
    if (HashBytes(payload) != hash) return std::nullopt;
    return payload;
}

JournalError WriteError(const std::string& path, int error) {
    return JournalError("変更を記録できませんでした。ファイル「" + path +
                            "」に書き込めませんでした。" + FileErrorReason(error),
                        error);
}

// The data folder refuses files (read-only, no permission, gone): the journal moves to the
// program's folder. Any other failure (a full disk) refuses the change instead.
bool FolderRefuses(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ENOENT ||
           error == ENOTDIR;
}

}  // namespace

std::string JournalStartBytes(const JournalHeader& header) {
    return std::string(kMagic) + Frame(HeaderPayload(header));
}

std::string JournalRecordBytes(const JournalRecord& record) {
    return Frame(ChangePayload(record));
}

std::string JournalSaveBytes(const std::vector<FileStamp>& files) {
    return Frame(SavePayload(files));
}

namespace {

// The offset of the first whole frame from `from` on; `size` when the rest is too large to
// search (it cannot be the tail of one cut record); nothing when there is none.
std::optional<uint64_t> NextWholeFrame(int fd, uint64_t from, uint64_t size) {
    if (from >= size || size - from < kFrameSize) return std::nullopt;
    if (size - from > 2 * static_cast<uint64_t>(kLargestPayload)) return size;
    std::string rest(static_cast<size_t>(size - from), '\0');
    size_t done = 0;
    while (done < rest.size()) {
        const ssize_t r =
            ::pread(fd, rest.data() + done, rest.size() - done, static_cast<off_t>(from + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return size;
        done += static_cast<size_t>(r);
    }
    const std::string_view bytes(rest);
    for (size_t at = 0; at + kFrameSize <= bytes.size(); ++at) {
        if (NextPayload(bytes, at)) return from + at;
    }
    return std::nullopt;
}

}  // namespace

JournalContents ReadJournal(const std::string& path) {
    JournalContents contents;
    // Never waits on a pipe, never follows a link: only a file of its own is a journal.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        contents.State = errno == ENOENT  ? JournalState::Missing
                         : errno == ELOOP ? JournalState::NotAFile
                                          : JournalState::Unreadable;
        return contents;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        contents.State = JournalState::NotAFile;
        return contents;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    contents.FileSize = size;
    // One frame at a time: memory stays that of the largest record, whatever the file's size.
    uint64_t pos = 0;
    std::string payload;
    const auto readAt = [&](std::string& into, size_t n, uint64_t at) {
        into.resize(n);
        size_t done = 0;
        while (done < n) {
            const ssize_t r =
                ::pread(fd, into.data() + done, n - done, static_cast<off_t>(at + done));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            done += static_cast<size_t>(r);
        }
        into.resize(done);
        return done == n;
    };
    // The frame at `pos`: Whole, Cut (the file ends inside it: a write a kill cut short) or
    // Bad (all its bytes are there, or its length cannot be, and they do not add up).
    enum class FrameIs { Whole, Cut, Bad };
    uint32_t length = 0;
    const auto next = [&]() {
        std::string head;
        if (size - pos < kFrameSize) {
            readAt(head, static_cast<size_t>(size - pos), pos);
            return FrameIs::Cut;
        }
        if (!readAt(head, kFrameSize, pos)) return FrameIs::Bad;
        In frame(head);
        length = frame.U32();
        const uint64_t hash = frame.U64();
        if (length > kLargestPayload) return FrameIs::Bad;
        if (length > size - pos - kFrameSize) return FrameIs::Cut;
        if (!readAt(payload, length, pos + kFrameSize)) return FrameIs::Bad;
        return HashBytes(payload) == hash ? FrameIs::Whole : FrameIs::Bad;
    };

    contents.State = JournalState::Unreadable;
    std::string magic;
    if (!readAt(magic, kMagic.size(), 0) || magic != kMagic) {
        ::close(fd);
        return contents;
    }
    pos = kMagic.size();
    if (next() != FrameIs::Whole) {
        ::close(fd);
        return contents;
    }
    In headerIn(payload);
    if (!GetHeader(headerIn, contents.Header)) {
        ::close(fd);
        return contents;
    }
    if (contents.Header.Version > kJournalVersion) {
        ::close(fd);
        contents.State = JournalState::TooNew;
        return contents;
    }
    pos += kFrameSize + length;
    contents.State = JournalState::Readable;
    // A bad frame whose length still leads to a frame boundary is stepped over, so that the
    // records after it are counted; one whose length cannot be trusted ends the reading.
    const auto damaged = [&](bool stepOver) {
        contents.State = JournalState::Damaged;
        ++contents.Unread;
        if (stepOver && length <= kLargestPayload && pos + kFrameSize + length <= size) {
            pos += kFrameSize + length;
            return true;
        }
        contents.UnreadRest = pos < size;
        pos = size;
        return false;
    };
    while (pos < size) {
        const FrameIs frame = next();
        if (frame == FrameIs::Cut) {
            // Only the end of a file can be cut short (a write that a kill or a full disk cut
            // off). A whole record further on means the length was damaged instead.
            const std::optional<uint64_t> further = NextWholeFrame(fd, pos + 1, size);
            if (!further) {
                if (contents.State == JournalState::Readable) contents.TornTail = true;
                if (contents.State == JournalState::Damaged) ++contents.Unread;
                break;
            }
            contents.State = JournalState::Damaged;
            ++contents.Unread;
            if (*further == size) {
                contents.UnreadRest = true;
                pos = size;
                break;
            }
            pos = *further;
            continue;
        }
        if (frame == FrameIs::Bad) {
            if (!damaged(true)) break;
            continue;
        }
        In in(payload);
        const uint8_t type = in.U8();
        if (type == kSaveRecord) {
            std::vector<FileStamp> files;
            if (!GetSave(in, files)) {
                if (!damaged(true)) break;
                continue;
            }
            if (contents.State == JournalState::Readable) {
                contents.Saves.push_back({contents.Records.size(), std::move(files)});
            }
        } else if (type != kChangeRecord) {
            contents.State = JournalState::TooNew;
            break;
        } else {
            JournalRecord record;
            if (!GetChange(in, record)) {
                if (!damaged(true)) break;
                continue;
            }
            contents.Records.push_back(std::move(record));
        }
        pos += kFrameSize + length;
    }
    ::close(fd);
    contents.WholeSize = pos;
    return contents;
}

std::string JournalPath(const std::string& dir, const std::string& name) {
    return dir + JournalFileName(name);
}

std::string FallbackJournalPath(const std::string& programDir, const std::string& dir,
                                const std::string& name) {
    // The folder's hash keeps apart ledgers of one name in different folders.
    return programDir + kFallbackJournalFolder + name + "-" + Hex(HashBytes(dir), 8) +
           kJournalSuffix;
}

std::string AsideJournalPath(const std::string& journalPath) {
    return journalPath + kAsideSuffix;
}

bool SetJournalAside(const std::string& path) {
    return ::rename(path.c_str(), AsideJournalPath(path).c_str()) == 0;
}

bool JournalFitsFiles(const JournalHeader& header, const std::vector<FileStamp>& loaded) {
    if (header.Files.size() != loaded.size()) return false;
    for (size_t i = 0; i < loaded.size(); ++i) {
        const FileStamp& kept = header.Files[i];
        if (FileNameOf(kept.Path) != FileNameOf(loaded[i].Path)) return false;
        if (!kept.SameContent(loaded[i])) return false;
    }
    return true;
}

bool DropSavedRecords(JournalContents& contents, const std::vector<FileStamp>& loaded) {
    for (auto save = contents.Saves.rbegin(); save != contents.Saves.rend(); ++save) {
        JournalHeader landed = contents.Header;
        bool elsewhere = true;  // the save's other files (settings, masters) hold it too
        for (const FileStamp& written : save->Files) {
            bool ledgerFile = false;
            for (FileStamp& file : landed.Files) {
                if (FileNameOf(written.Path) != FileNameOf(file.Path)) continue;
                file = written;
                ledgerFile = true;
            }
            if (!ledgerFile && !StampFile(written.Path).SameContent(written)) elsewhere = false;
        }
        if (!elsewhere || !JournalFitsFiles(landed, loaded)) continue;
        contents.Records.erase(
            contents.Records.begin(),
            contents.Records.begin() +
                static_cast<ptrdiff_t>(std::min(save->Index, contents.Records.size())));
        contents.Header.Files = loaded;
        contents.Saves.clear();
        return true;
    }
    return false;
}

namespace {

// "3月 5件目：2026/03/02 八百屋 700円", or the slot left empty.
std::string SlotLine(int month, int slot, const EntryRecord& e, const EntryText& text) {
    std::string line = std::to_string(month) + "月 " + std::to_string(slot + 1) + "件目：";
    if (e.Amount <= 0) return line + "（空き）";
    char date[32];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d", e.Year, e.Month, e.Day);
    line += date;
    if (!std::string_view(text.Shop).empty()) line += " " + std::string(text.Shop);
    return line + " " + FormatPicture(e.Amount, true) + "円";
}

// Moves each touched month's entries up to the first slots, as every reader expects.
void CloseGaps(Ledger& ledger, const std::array<bool, kMonthCount>& touched) {
    for (int m = 0; m < kMonthCount; ++m) {
        if (!touched[m]) continue;
        auto& entries = ledger.EntryTable[m];
        auto& texts = ledger.EntryTextTable[m];
        int used = 0;
        for (int s = 0; s < kSlotCount; ++s) {
            if (entries[s].Amount <= 0) continue;
            if (s != used) {
                entries[used] = entries[s];
                texts[used] = std::move(texts[s]);
                entries[s] = EntryRecord{};
                texts[s] = EntryText{};
            }
            ++used;
        }
        for (int s = used; s < kSlotCount; ++s) {
            entries[s] = EntryRecord{};
            texts[s] = EntryText{};
        }
    }
}

}  // namespace

CarefulReplay ReplayOntoChangedFiles(Ledger& ledger, const std::vector<JournalRecord>& records) {
    CarefulReplay result;
    std::array<bool, kMonthCount> touched{};
    for (const JournalRecord& record : records) {
        Change c;
        c.Kind = record.Made.Kind;
        // A span is one change to a month: written whole, or not at all.
        for (const SlotSpan& span : record.Made.Slots) {
            const int m = span.Month - 1;
            bool writable = true;
            bool needed = false;
            SlotSpan now = span;
            for (size_t i = 0; i < span.After.size(); ++i) {
                const size_t slot = static_cast<size_t>(span.First) + i;
                now.Before[i] = ledger.EntryTable[m][slot];
                now.BeforeText[i] = ledger.EntryTextTable[m][slot];
                const bool made =
                    now.Before[i] == span.After[i] && now.BeforeText[i] == span.AfterText[i];
                const bool found = record.KnownBefore && now.Before[i] == span.Before[i] &&
                                   now.BeforeText[i] == span.BeforeText[i];
                needed = needed || !made;
                writable = writable && (made || found);
            }
            if (!needed) continue;
            if (!writable) {
                for (size_t i = 0; i < span.After.size(); ++i) {
                    if (now.Before[i] == span.After[i] && now.BeforeText[i] == span.AfterText[i]) {
                        continue;
                    }
                    result.NotReplayed.push_back(SlotLine(span.Month,
                                                          span.First + static_cast<int>(i),
                                                          span.After[i], span.AfterText[i]));
                }
                continue;
            }
            touched[m] = true;
            c.Slots.push_back(std::move(now));
        }
        for (const BudgetCell& cell : record.Made.Budgets) {
            const int32_t held = ledger.BudgetTable[cell.Month][cell.Item];
            if (held == cell.After) continue;
            if (record.KnownBefore && held == cell.Before) {
                c.Budgets.push_back({cell.Month, cell.Item, held, cell.After});
                continue;
            }
            result.NotReplayed.push_back(
                (cell.Month == 0 ? std::string("前年繰越") : std::to_string(cell.Month) + "月") +
                " 予算：" + ledger.ItemTable[cell.Item].Name + " " +
                FormatPicture(cell.After, true) + "円");
        }
        if (record.Made.SettingsAfter) {
            const SettingsState held = CaptureSettings(ledger);
            if (!(held == *record.Made.SettingsAfter)) {
                if (record.KnownBefore && record.Made.SettingsBefore &&
                    held == *record.Made.SettingsBefore) {
                    c.SettingsBefore = held;
                    c.SettingsAfter = record.Made.SettingsAfter;
                } else {
                    result.NotReplayed.push_back("設定（科目名、期首残高など）");
                }
            }
        }
        if (c.Slots.empty() && c.Budgets.empty() && !c.SettingsAfter) continue;
        ApplyChange(ledger, c, ChangeSide::After);
        result.Replayed.push_back(std::move(c));
    }
    CloseGaps(ledger, touched);
    ledger.NextSlot = ledger.GetIndex(ledger.EditMonth);
    if (!result.Replayed.empty()) ledger.LedgerChanged = true;
    return result;
}

std::vector<Change> ReplayJournal(Ledger& ledger, const std::vector<JournalRecord>& records) {
    std::vector<Change> replayed;
    replayed.reserve(records.size());
    std::array<bool, kMonthCount> touched{};
    for (const JournalRecord& record : records) {
        Change c = record.Made;
        for (SlotSpan& span : c.Slots) {
            const int m = span.Month - 1;
            for (size_t i = 0; i < span.After.size(); ++i) {
                span.Before[i] = ledger.EntryTable[m][span.First + i];
                span.BeforeText[i] = ledger.EntryTextTable[m][span.First + i];
            }
            touched[m] = true;
        }
        for (BudgetCell& cell : c.Budgets) cell.Before = ledger.BudgetTable[cell.Month][cell.Item];
        if (c.SettingsAfter) c.SettingsBefore = CaptureSettings(ledger);
        ApplyChange(ledger, c, ChangeSide::After);
        replayed.push_back(std::move(c));
    }
    // Records made for other files may land behind the month's last entry; the months keep
    // their entries in the slots from the first on, as every reader expects.
    CloseGaps(ledger, touched);
    ledger.NextSlot = ledger.GetIndex(ledger.EditMonth);
    ledger.LedgerChanged = true;
    return replayed;
}

std::vector<FileStamp> CurrentLedgerStamps(const std::string& dir, const std::string& name) {
    std::vector<FileStamp> stamps;
    for (const std::string& file : LedgerFileNames(name)) stamps.push_back(StampFile(dir + file));
    return stamps;
}

Change ChangeBetween(const Ledger& before, const Ledger& after, ChangeKind kind, bool whole) {
    Change c;
    c.Kind = kind;
    for (int m = 0; m < kMonthCount; ++m) {
        const int used = std::max(before.GetIndex(m + 1), after.GetIndex(m + 1));
        int first = 0;
        while (!whole && first < used &&
               before.EntryTable[m][first] == after.EntryTable[m][first] &&
               before.EntryTextTable[m][first] == after.EntryTextTable[m][first]) {
            ++first;
        }
        if (first == used && !whole) continue;
        SlotSpan span{m + 1, first, {}, {}, {}, {}};
        const auto slice = [&](const auto& table) {
            return std::vector(table[m].begin() + first, table[m].begin() + used);
        };
        span.Before = slice(before.EntryTable);
        span.After = slice(after.EntryTable);
        span.BeforeText = slice(before.EntryTextTable);
        span.AfterText = slice(after.EntryTextTable);
        c.Slots.push_back(std::move(span));
    }
    for (int row = 0; row <= kMonthCount; ++row) {
        for (int item = 0; item < kItemCount; ++item) {
            const int32_t was = before.BudgetTable[row][item];
            const int32_t is = after.BudgetTable[row][item];
            if (was != is || whole) c.Budgets.push_back({row, item, was, is});
        }
    }
    SettingsState was = CaptureSettings(before);
    SettingsState is = CaptureSettings(after);
    if (!(was == is) || whole) {
        c.SettingsBefore = std::move(was);
        c.SettingsAfter = std::move(is);
    }
    return c;
}

std::string RecoveryQuestion(const JournalContents& contents, bool fits) {
    const Moment& last =
        contents.Records.empty() ? contents.Header.Created : contents.Records.back().When;
    char until[32];
    std::snprintf(until, sizeof until, "%04d/%02d/%02d %02d:%02d", last.Day.Year, last.Day.Month,
                  last.Day.Day, last.Hour, last.Minute);
    std::string text = "前回保存されなかった変更が " + std::to_string(contents.Records.size()) +
                       " 件あります（" + until + " まで）。復元しますか？";
    if (!fits) {
        text =
            "この変更の記録は、今の家計簿ファイルとは違うファイルに対して作られました"
            "（ファイルが別の場所やプログラムで変更されたか、古いファイルに戻されているか、"
            "別の家計簿の記録です）。\r復元すると、今のファイルにある明細を記録の内容で上書き"
            "します。記録した時から変わっている明細は上書きせず、一覧でお知らせします。\r"
            "復元しない場合、記録は「.old」を付けた名前で残します。\r" +
            text;
    }
    return text;
}

std::string NotReplayedMessage(const std::vector<std::string>& lines, size_t shown) {
    std::string text = "次の " + std::to_string(lines.size()) +
                       " 件は、ファイルの今の内容と合わないため復元しませんでした。";
    for (size_t i = 0; i < lines.size() && i < shown; ++i) text += "\r" + lines[i];
    if (lines.size() > shown) text += "\rほか " + std::to_string(lines.size() - shown) + " 件";
    return text;
}

std::string JournalKeptAsideMessage(const std::string& path, const JournalContents& contents) {
    if (contents.State != JournalState::Damaged)
        return JournalKeptAsideMessage(path, contents.State);
    return "保存されなかった変更の記録「" + path + "」は壊れています。読めない変更が " +
           std::to_string(contents.Unread) + " 件" +
           (contents.UnreadRest ? "（その後の部分も読めません）" : "") + "、読める変更が " +
           std::to_string(contents.Records.size()) +
           " 件あります。どれも復元せず、ファイルはそのまま「" + AsideJournalPath(path) +
           "」として残しました。";
}

std::string JournalKeptAsideMessage(const std::string& path, JournalState state) {
    const std::string why =
        state == JournalState::TooNew
            ? "新しい版のプログラムで作られているため、この版では復元できません。"
        : state == JournalState::NotAFile
            ? "通常のファイルではない（リンク、パイプ、フォルダなど）ため、使えません。"
            : "壊れているため、復元できません。";
    return "保存されなかった変更の記録「" + path + "」は" + why + "「" + AsideJournalPath(path) +
           "」として残しました。";
}

void LedgerJournal::Start(const Ledger& ledger, const std::string& programDir,
                          std::vector<FileStamp> base, bool inProgramFolder) {
    Close();
    dir_ = ledger.DataDir;
    name_ = ledger.LedgerName;
    programDir_ = programDir;
    base_ = std::move(base);
    inProgramFolder_ = inProgramFolder;
    unprotected_ = false;
}

void LedgerJournal::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
    path_.clear();
}

void LedgerJournal::Create(const std::string& path, const std::vector<JournalRecord>& records,
                           const Moment& now) {
    JournalHeader header;
    header.Dir = dir_;
    header.Name = name_;
    header.Created = now;
    header.Files = base_;
    std::string bytes = JournalStartBytes(header);
    for (const JournalRecord& record : records) bytes += JournalRecordBytes(record);

    // Made whole under a name of its own, then renamed: a journal is never half a header.
    // Named as the group writer names its own, so the next save's tidy-up removes one a kill
    // left behind.
    const std::string temp = FolderOf(path) + UniqueTempName(FileNameOf(path));
    int error = 0;
    const int fd = CreateDurableFile(temp, bytes, 0600, true, error);
    if (fd < 0) throw WriteError(path, error);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        throw WriteError(path, error);
    }
    SyncFolder(FolderOf(path));
    Close();
    fd_ = fd;
    size_ = bytes.size();
    path_ = path;
}

// Makes the journal with `records` where it can be: the data folder, else the program's
// folder. Returns the warning text when neither can hold it.
std::string LedgerJournal::Open(const std::vector<JournalRecord>& records, const Moment& now) {
    std::string reason;
    if (!inProgramFolder_) {
        try {
            Create(JournalPath(dir_, name_), records, now);
            return {};
        } catch (const JournalError& e) {
            if (!FolderRefuses(e.Error)) throw;
            reason = e.what();
        }
    }
    const std::string fallback = FallbackJournalPath(programDir_, dir_, name_);
    try {
        MakeDirectories(FolderOf(fallback), 0700);
        Create(fallback, records, now);
        return {};
    } catch (const JournalError& e) {
        if (!FolderRefuses(e.Error)) throw;
        reason = e.what();
    } catch (const LedgerError& e) {
        reason = e.what();
    }
    return reason;
}

std::optional<Notice> LedgerJournal::Append(const Change& change, const Moment& when) {
    if (!Started()) return std::nullopt;
    const JournalRecord record{when, change};
    if (fd_ < 0 && !unprotected_) {
        const std::string reason = Open({record}, when);
        if (!reason.empty()) {
            unprotected_ = true;
            return Notice{NoticeKind::Warning,
                          "変更を記録できるフォルダがありません。保存するまで、プログラムが"
                          "異常終了すると変更は失われます。\r" +
                              reason};
        }
    } else if (fd_ >= 0) {
        const std::string bytes = JournalRecordBytes(record);
        int error = 0;
        if (!WriteAll(fd_, bytes, error, static_cast<int64_t>(size_)) ||
            (::fdatasync(fd_) != 0 && (error = errno) != 0)) {
            // No torn record stays behind the whole ones.
            if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0) ::fdatasync(fd_);
            throw WriteError(path_, error);
        }
        size_ += bytes.size();
    }
    return std::nullopt;
}

void LedgerJournal::Restart(std::vector<FileStamp> base, const std::vector<JournalRecord>& records,
                            const Moment& now) {
    const std::string old = path_;
    std::vector<FileStamp> oldBase = std::move(base_);
    base_ = std::move(base);
    std::string reason;
    try {
        // The old journal stays open until the new one has replaced it.
        reason = Open(records, now);
    } catch (const JournalError&) {
        base_ = std::move(oldBase);
        throw;
    }
    if (!reason.empty()) Close();
    // A journal in the program's folder is not left behind when the new one is elsewhere.
    if (!old.empty() && old != path_) ::unlink(old.c_str());
    unprotected_ = !reason.empty();
}

void LedgerJournal::NoteSave(const std::vector<FileStamp>& written) {
    if (fd_ < 0) return;
    const std::string bytes = JournalSaveBytes(written);
    int error = 0;
    if (!WriteAll(fd_, bytes, error, static_cast<int64_t>(size_)) || ::fdatasync(fd_) != 0) {
        // Without the note a kill during the save only asks once more; no torn frame stays.
        if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0) ::fdatasync(fd_);
        return;
    }
    size_ += bytes.size();
}

void LedgerJournal::Remove() {
    if (!path_.empty()) ::unlink(path_.c_str());
    Close();
    unprotected_ = false;
}

void LedgerJournal::SetAside() {
    if (!path_.empty()) SetJournalAside(path_);
    Close();
    unprotected_ = false;
}

}  // namespace kakeibo
