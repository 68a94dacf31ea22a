#include "core/journal.h"

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

#include "core/file_io.h"
#include "core/ledger_paths.h"
#include "core/program_folder.h"

namespace kakeibo {

namespace {

constexpr std::string_view kMagic = "KAKEIBOJ";
constexpr uint8_t kHeaderRecord = 1;
constexpr uint8_t kChangeRecord = 2;
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
    static_cast<void>(settingsBefore);  // replay takes it from the ledger
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
    return std::move(out.Bytes());
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

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string Hex(uint64_t v, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(v));
    return text;
}

JournalError WriteError(const std::string& path, int error) {
    return JournalError("変更を記録できませんでした。ファイル「" + path +
                            "」に書き込めませんでした。" + FileErrorReason(error),
                        error);
}

bool WriteAll(int fd, std::string_view bytes, off_t at, int& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, at + static_cast<off_t>(done));
        if (w < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (w == 0) {
            error = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
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

JournalContents ReadJournal(const std::string& path) {
    JournalContents contents;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        contents.State = errno == ENOENT ? JournalState::Missing : JournalState::Unreadable;
        return contents;
    }
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);

    contents.State = JournalState::Unreadable;
    if (n < 0 || bytes.compare(0, kMagic.size(), kMagic) != 0) return contents;
    size_t pos = kMagic.size();
    const auto header = NextPayload(bytes, pos);
    if (!header) return contents;
    In headerIn(*header);
    if (!GetHeader(headerIn, contents.Header)) return contents;
    if (contents.Header.Version > kJournalVersion) {
        contents.State = JournalState::TooNew;
        return contents;
    }
    pos += kFrameSize + header->size();
    contents.State = JournalState::Readable;
    while (pos < bytes.size()) {
        const auto payload = NextPayload(bytes, pos);
        if (!payload) {
            contents.TornTail = true;
            break;
        }
        In in(*payload);
        if (in.U8() != kChangeRecord) {
            contents.State = JournalState::TooNew;
            return contents;
        }
        JournalRecord record;
        if (!GetChange(in, record)) {
            contents.State = JournalState::Unreadable;
            return contents;
        }
        contents.Records.push_back(std::move(record));
        pos += kFrameSize + payload->size();
    }
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
            "（ファイルが別の場所で変更されたか、古いファイルに戻されています）。"
            "復元すると、明細が合わなくなることがあります。\r" +
            text;
    }
    return text;
}

std::string JournalKeptAsideMessage(const std::string& path, JournalState state) {
    const std::string why =
        state == JournalState::TooNew
            ? "新しい版のプログラムで作られているため、この版では復元できません。"
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
    std::random_device random;
    const std::string temp =
        FolderOf(path) + "." + FileNameOf(path) + "." + Hex(random(), 8) + ".tmp";
    const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) throw WriteError(path, errno);
    int error = 0;
    if (!WriteAll(fd, bytes, 0, error) || (::fsync(fd) != 0 && (error = errno) != 0) ||
        (::rename(temp.c_str(), path.c_str()) != 0 && (error = errno) != 0)) {
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
        if (!WriteAll(fd_, bytes, static_cast<off_t>(size_), error) ||
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
