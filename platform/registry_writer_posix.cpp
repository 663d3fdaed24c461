#include "platform/registry_writer.h"

#include "platform/registry_store_posix.h"

bool platformRegistryWriteText(const char *subkey, const char *valueName, const char *text) {
    return registryStoreChange(StoreChange::kSetValue, subkey, valueName, text);
}

bool platformRegistryDeleteKey(const char *subkey) {
    return registryStoreChange(StoreChange::kDeleteKey, subkey, nullptr, nullptr);
}
