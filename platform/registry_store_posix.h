// The registry on Linux: a text file of keys and text values.
//
//     # comment
//     [HKEY_LOCAL_MACHINE\SOFTWARE\Tarsik\olap\QuorvelPDS]
//     LastQCF=/home/me/connections/sales.qcf
//
// A key is a line "[HKEY_LOCAL_MACHINE\subkey]"; each value of it a line
// "name=text" below it (the text is the rest of the line, blanks included;
// "=text" is the key's default value). Key and value names are matched
// without regard to ASCII case, runs of backslashes count as one and a
// trailing one is ignored. Blank lines and lines starting with '#' or ';' are
// ignored, CR LF line ends read as LF. A line longer than kStoreLineSize - 1
// bytes is never matched and is kept as it is when the file is rewritten.
//
// The file is named by the environment variable CBQ_REGISTRY, else
// $HOME/.cbq90/registry; it is looked up at every call. Without either there
// is no registry: every value is missing. A store that is not a regular file
// (a directory, a FIFO, a device) is neither read nor replaced, and never
// waited on: every value is missing and every change fails. Changes rewrite the file through a
// temporary file beside it ("<file>.tmp"), then rename it into place.
#ifndef CBQ_PLATFORM_REGISTRY_STORE_POSIX_H
#define CBQ_PLATFORM_REGISTRY_STORE_POSIX_H

#include <stddef.h>

enum { kStoreLineSize = 8192 };

// Writes the store's file name into path (size bytes); false when there is
// none or it does not fit.
bool registryStorePath(char *path, size_t size);

// What a rewrite does to the store.
enum class StoreChange { kSetValue, kDeleteValue, kDeleteKey };

// Rewrites the store with one change: sets the value name of subkey to text
// (creating the key, and the store's folder and file when missing), deletes
// that value, or deletes the key with its values. True when the store was
// changed; false when there was nothing to delete, the subkey is invalid, a
// name or text can't be stored (a value name holding '=', CR or LF, a text
// holding CR or LF, a line too long) or the file can't be written.
bool registryStoreChange(StoreChange change, const char *subkey, const char *valueName,
                         const char *text);

#endif  // CBQ_PLATFORM_REGISTRY_STORE_POSIX_H
