#pragma once

#include "core/session/ledger_session.h"

namespace kakeibo {

// The session's questions as the main window shows them: message boxes of the platform seam.
class WindowQuestions final : public SessionQuestions {
public:
    void Tell(const Notice& notice) override;
    bool OpenHeldLedger(const std::string& question) override;
    bool Recover(const std::string& question, bool fits) override;
    ChangedFileAnswer OverwriteChangedFile(const std::string& question) override;
};

}  // namespace kakeibo
