#pragma once

#include <string>
#include <vector>

#include "core/session/ledger_session.h"

namespace kakeibo::test {

// Answers the session's questions as a test says and keeps every text it was given.
class ScriptedQuestions final : public SessionQuestions {
public:
    void Tell(const Notice& notice) override { Told.push_back(notice); }
    bool OpenHeldLedger(const std::string& question) override {
        Asked.push_back(question);
        return OpenHeld;
    }
    bool Recover(const std::string& question, bool fits) override {
        Asked.push_back(question);
        Fits.push_back(fits);
        return RecoverAnswer;
    }
    ChangedFileAnswer OverwriteChangedFile(const std::string& question) override {
        Asked.push_back(question);
        return ChangedFile;
    }

    bool OpenHeld = true;
    bool RecoverAnswer = true;
    ChangedFileAnswer ChangedFile = ChangedFileAnswer::Cancel;
    std::vector<Notice> Told;
    std::vector<std::string> Asked;
    std::vector<bool> Fits;
};

}  // namespace kakeibo::test
