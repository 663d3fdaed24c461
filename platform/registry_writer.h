// Writing the registry that platformRegistryRead reads: for tests and tools
// only. The module itself never writes the registry.
#ifndef CBQ_PLATFORM_REGISTRY_WRITER_H
#define CBQ_PLATFORM_REGISTRY_WRITER_H

// Sets the text value valueName (null: the default value) of the key subkey
// under HKEY_LOCAL_MACHINE, creating the key (Windows: REG_SZ with its
// terminator). False when it can't be written; on Linux also for a value
// name holding '=', CR or LF and a text holding CR or LF.
bool platformRegistryWriteText(const char *subkey, const char *valueName, const char *text);

// Deletes the key subkey under HKEY_LOCAL_MACHINE with its values; it must
// have no subkeys (Linux: subkeys are separate keys and stay). False when
// there is no such key.
bool platformRegistryDeleteKey(const char *subkey);

#endif  // CBQ_PLATFORM_REGISTRY_WRITER_H
