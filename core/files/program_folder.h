// Where the program keeps its own files and first ledgers, and its first start there.
#pragma once

#include <string>

namespace kakeibo {

// What the process environment says about the user's folders.
struct UserEnvironment {
    std::string Home;             // $HOME, or the home of the password database
    std::string XdgConfigHome;    // $XDG_CONFIG_HOME; may be empty
    std::string XdgDocumentsDir;  // $XDG_DOCUMENTS_DIR; may be empty
};

UserEnvironment ProcessEnvironment();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; ends with "/".
std::string ConfigHome(const UserEnvironment& env);

// The user's documents folder: $XDG_DOCUMENTS_DIR, else the entry of user-dirs.dirs in the
// configuration folder, else ~/Documents; ends with "/".
std::string DocumentsDir(const UserEnvironment& env);

// Where the program keeps its own files (rozed.ini, the masters) and its first ledgers.
struct ProgramFolders {
    std::string ProgramDir;      // ends with "/"
    std::string DefaultDataDir;  // the data folder until the settings name another one
    std::string MastersSource;   // seeds ProgramDir's masters on a first start; "" when portable
};

// Beside the program when its folder is writable and is not an install (whose masters lie in
// `sharedDir`, not beside the program); otherwise $XDG_CONFIG_HOME/kakeibo with the data in
// 家計簿 of the documents folder.
ProgramFolders ChooseProgramFolders(const std::string& exeDir, const std::string& sharedDir,
                                    bool exeDirWritable, const UserEnvironment& env);

// The folder of the running program (ending with "/"), as the system names it.
std::string RunningProgramDir();

// Where an install keeps its shared files (the shipped masters), found from the program's
// folder the same way under any prefix.
std::string InstalledSharedDir(const std::string& exeDir);

bool IsWritableDirectory(const std::string& dir);

// Creates `dir` with exactly `mode` and any missing parents as the umask allows; throws
// LedgerError naming the folder.
void MakeDirectories(const std::string& dir, unsigned mode);

// A first start in the user's folder (no rozed.ini yet): creates the folder and copies the
// masters it lacks. Best effort: what it cannot do, start-up reports as a missing file.
void PrepareProgramFolder(const ProgramFolders& folders);

}  // namespace kakeibo
