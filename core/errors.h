// LedgerError, the failure that carries the message the user reads.
#pragma once

#include <stdexcept>
#include <string>

namespace kakeibo {

// A failure whose message is the text the user should read.
class LedgerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kakeibo
