// Preloaded into the program: loads every module named in KAKEIBO_CHECK_MODULES (separated by
// ':') with every symbol bound, as the program loads them, before the program runs. A module
// that needs something the program does not export ends the process with status 3 and the
// dynamic linker's words.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

__attribute__((constructor)) void LoadEveryModule() {
    const char* list = std::getenv("KAKEIBO_CHECK_MODULES");
    if (list == nullptr) return;
    const std::string modules = list;
    size_t start = 0;
    while (start <= modules.size()) {
        const size_t end = std::min(modules.find(':', start), modules.size());
        const std::string path = modules.substr(start, end - start);
        if (!path.empty() && dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) == nullptr) {
            std::fprintf(stderr, "%s\n", dlerror());
            std::_Exit(3);
        }
        start = end + 1;
    }
}

}  // namespace
