// The load routine of libcbq90.so: the same steps as on Windows, run when
// the library is loaded into a process.
#include <dlfcn.h>

#include "host/module_state.h"

namespace {

// The library's own handle, as dlopen would give it to the host.
void *ownHandle() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&ownHandle), &info) == 0 || info.dli_fname == nullptr)
        return nullptr;
    void *handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);  // NOLOAD took a reference; the handle stays valid while loaded
    return handle;
}

__attribute__((constructor)) void onLoad() { moduleLoad(ownHandle()); }

}  // namespace
