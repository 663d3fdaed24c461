// The load routine of cbq90.dll.
#include <windows.h>

#include "host/module_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        moduleLoad(instance);
    return TRUE;
}
