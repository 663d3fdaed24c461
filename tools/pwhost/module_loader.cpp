#include "tools/pwhost/host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char kModuleFile[] = "cbq90.dll";
const char kReleaseModuleFolder[] = "..\\bin\\";

bool isFile(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void *openLibrary(const std::string &path, std::string &error) {
    HMODULE h = LoadLibraryA(path.c_str());
    if (h == nullptr)
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return reinterpret_cast<void *>(h);
}

void *symbol(void *library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }
#else
const char kModuleFile[] = "libcbq90.so";
const char kReleaseModuleFolder[] = "../bin/";

bool isFile(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void *openLibrary(const std::string &path, std::string &error) {
    void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr)
        error = dlerror();
    return h;
}

void *symbol(void *library, const char *name) { return dlsym(library, name); }

void closeLibrary(void *library) { dlclose(library); }
#endif

template <class F>
bool resolve(void *library, const char *name, F &out, std::string &error) {
    out = reinterpret_cast<F>(symbol(library, name));
    if (out == nullptr)
        error = std::string("the module does not export ") + name;
    return out != nullptr;
}

// The module pwhost loads when no path is given: the one beside it (the
// build folder), else the one in ../bin (the demo folder of the release
// archive, whose bin folder holds the module).
std::string defaultModulePath() {
    std::string beside = programDirectory() + kModuleFile;
    std::string release = programDirectory() + kReleaseModuleFolder + kModuleFile;
    return !isFile(beside) && isFile(release) ? release : beside;
}

}  // namespace

std::string programDirectory() {
#ifdef _WIN32
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n < sizeof path ? n : 0);
    size_t slash = s.find_last_of("\\/");
#else
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string s(path, n > 0 ? static_cast<size_t>(n) : 0);
    size_t slash = s.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

bool loadModule(const std::string &path, LoadedModule &module, std::string &error) {
    std::string file = path.empty() ? defaultModulePath() : path;
    module.library = openLibrary(file, error);
    if (module.library == nullptr)
        return false;
    void *l = module.library;
    if (resolve(l, "cbqInit", module.init, error) && resolve(l, "cbqTerm", module.term, error) &&
        resolve(l, "cbqSelectServer", module.selectServer, error) &&
        resolve(l, "cbqEdit", module.edit, error) &&
        resolve(l, "cbqFreePWQCOL", module.freeColumns, error) &&
        resolve(l, "cbqFreeMem", module.freeMem, error) &&
        resolve(l, "cbqGetVer", module.getVersion, error) &&
        resolve(l, "cbqSetHelp", module.setHelp, error))
        return true;
    unloadModule(module);
    return false;
}

void unloadModule(LoadedModule &module) {
    if (module.library != nullptr)
        closeLibrary(module.library);
    module = LoadedModule();
}
