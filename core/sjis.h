// CP932 (Shift-JIS as Windows writes it) to and from UTF-8, and what it can store.
#pragma once

#include <string>
#include <string_view>

namespace kakeibo {

// Decodes CP932 bytes to UTF-8. A byte that is not valid CP932 becomes the private-use
// code point U+10FF00 + byte (a "carried byte"), which EncodeCp932 turns back into the
// same byte. Such a byte is always 0x80 or above: every ASCII byte decodes as itself.
// Every character is read as iconv reads it; what iconv said of a byte or a pair is kept per
// thread, so each distinct character costs one call, and ASCII none.
std::string DecodeCp932(std::string_view bytes);

// The same result, asking iconv about the whole text: what the tests and the fuzz program
// hold DecodeCp932 to.
std::string DecodeCp932ByConverter(std::string_view bytes);

// The same result for a text that repeats a few runs of non-ASCII characters between ASCII
// (a bank statement: dates and amounts around the same shop names): each distinct run is
// decoded once.
std::string DecodeCp932Runs(std::string_view bytes);

// True for the first byte of a CP932 double-byte character.
bool IsCp932LeadByte(unsigned char b);

// Encodes UTF-8 text as CP932. Throws LedgerError naming the first character that CP932
// cannot hold; never substitutes "?". A carried byte below 0x80 (U+10FF00..U+10FF7F) is
// refused too: the loader never makes one, and written raw it could put a line end or a
// comma into a file.
// What iconv wrote for each character is kept per thread, as for decoding.
std::string EncodeCp932(std::string_view utf8);

// The same result, asking iconv about the whole text: what the tests and the fuzz program
// hold EncodeCp932 to.
std::string EncodeCp932ByConverter(std::string_view utf8);

// For text a user types or pastes: true when every character of it can be stored in a
// CP932 file. The carriers U+10FF00..U+10FFFF are refused like any other character CP932
// cannot hold: only the loader may make them.
bool CanStoreAsCp932(std::string_view utf8);

// For text a user types or pastes: the first character (as UTF-8) that CanStoreAsCp932
// refuses, or empty when there is none.
std::string FirstUnstorableCharacter(std::string_view utf8);

}  // namespace kakeibo
