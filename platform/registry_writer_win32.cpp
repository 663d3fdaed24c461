#include "platform/registry_writer.h"

#include <windows.h>

#include <string.h>

bool platformRegistryWriteText(const char *subkey, const char *valueName, const char *text) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                                 static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool platformRegistryDeleteKey(const char *subkey) {
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey) == ERROR_SUCCESS;
}
