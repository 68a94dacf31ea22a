// Preloaded into the program: loads the module named in KAKEIBO_CHECK_MODULE with every symbol
// bound, as the program loads it, before the program runs. A module that needs something the
// program does not export ends the process with status 3 and the dynamic linker's words.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

__attribute__((constructor)) void LoadTheModule() {
    const char* path = std::getenv("KAKEIBO_CHECK_MODULE");
    if (path != nullptr && dlopen(path, RTLD_NOW | RTLD_LOCAL) == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        std::_Exit(3);
    }
}

}  // namespace
