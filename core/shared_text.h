// SharedText, the shop and memo texts shared between slots.
#pragma once

#include <atomic>
#include <compare>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>

namespace kakeibo {

// An immutable text that costs one pointer where it is kept: copies share one block, and the
// empty text allocates nothing. A year of entries repeats a household's few shops and memos
// thousands of times, so the ledger keeps its texts this way rather than as a std::string
// per slot. Reading code sees a const std::string or a std::string_view; writing replaces the
// whole text.
class SharedText {
public:
    SharedText() noexcept = default;
    SharedText(std::string text) : block_(text.empty() ? nullptr : new Block(std::move(text))) {}
    SharedText(std::string_view text) : SharedText(std::string(text)) {}
    SharedText(const char* text) : SharedText(std::string_view(text)) {}

    SharedText(const SharedText& other) noexcept : block_(other.block_) { Retain(); }
    SharedText(SharedText&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    SharedText& operator=(const SharedText& other) noexcept {
        SharedText(other).swap(*this);
        return *this;
    }
    SharedText& operator=(SharedText&& other) noexcept {
        SharedText(std::move(other)).swap(*this);
        return *this;
    }
    ~SharedText() { Release(); }

    void swap(SharedText& other) noexcept { std::swap(block_, other.block_); }

    const std::string& str() const noexcept { return block_ ? block_->Text : NoText(); }
    operator const std::string&() const noexcept { return str(); }
    operator std::string_view() const noexcept { return str(); }
    const char* data() const noexcept { return str().data(); }
    const char* c_str() const noexcept { return str().c_str(); }
    size_t size() const noexcept { return block_ ? block_->Text.size() : 0; }
    bool empty() const noexcept { return block_ == nullptr; }

    friend bool operator==(const SharedText& a, const SharedText& b) noexcept {
        return a.block_ == b.block_ || a.str() == b.str();
    }
    friend bool operator==(const SharedText& a, std::string_view b) noexcept {
        return std::string_view(a.str()) == b;
    }
    friend bool operator==(const SharedText& a, const std::string& b) noexcept {
        return a.str() == b;
    }
    friend bool operator==(const SharedText& a, const char* b) noexcept {
        return std::string_view(a.str()) == b;
    }
    friend std::strong_ordering operator<=>(const SharedText& a, const SharedText& b) noexcept {
        return a.str() <=> b.str();
    }

private:
    struct Block {
        explicit Block(std::string text) : Text(std::move(text)) {}
        std::atomic<size_t> Refs{1};
        const std::string Text;
    };

    void Retain() const noexcept {
        if (block_) block_->Refs.fetch_add(1, std::memory_order_relaxed);
    }
    void Release() noexcept {
        if (block_ && block_->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block_;
    }

    // A function's static, so that a text read during another file's static set-up is
    // already empty.
    static const std::string& NoText() noexcept {
        static const std::string empty;
        return empty;
    }

    Block* block_ = nullptr;
};

static_assert(sizeof(SharedText) == sizeof(void*));

// Writes the text, so that a failed check shows it rather than the pointer's bytes.
std::ostream& operator<<(std::ostream& out, const SharedText& text);

}  // namespace kakeibo
