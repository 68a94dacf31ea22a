#pragma once

#include <functional>
#include <string>

namespace kakeibo {

// Runs `read`, which reads the file at `path`. When the file cannot be read (LedgerError),
// the user is offered to set it aside under a dated name so that what reads it starts
// empty: true when `read` succeeded or the file was set aside, false when the user kept it
// as it is (nothing that reads it opens).
bool ReadOrSetAside(const std::string& path, const std::function<void()>& read);

}  // namespace kakeibo
