// The home directory and the directories that hold connection files.
//
// The home directory is the environment variable TARSIK_HOME (through the
// core library), without one trailing backslash. Under it, "\olap\zcf"
// followed by a version text (901, 9I, ...) is a version directory; the
// connection index "qconnect.ini" there names, in section "General", key
// "ConnectionPath", the connection directories separated by semicolons.
// The version is the host's option "options.zcf.version" when a directory
// for it exists, else the highest version found on disk.
#ifndef CBQ_CONNECTION_CONNECTION_DIRECTORIES_H
#define CBQ_CONNECTION_CONNECTION_DIRECTORIES_H

#include <stddef.h>
#include <stdint.h>

#include "cbq90.h"
#include "text/string_list.h"

// The module-wide list of connection directories: empty when the module is
// loaded, filled by the first successful loadConnectionDirectories and kept
// until the module is unloaded, or until a cbqInit with another language
// handle empties it (its texts are in the earlier character set; the next
// connect dialog fills it again). buildServerList gives its items a trailing
// backslash.
extern StringList connectionDirectories;

enum {
    kVersionSize = 264,     // the version work area: at most 263 bytes
    kSegmentSize = 264,     // one "ConnectionPath" directory: at most 263 bytes
    kHomeValueSize = 512,   // the most of TARSIK_HOME that is read
};

// Empties list and appends the home directory to it when TARSIK_HOME is set
// and not empty; returns the list's count (1 or 0). Where texts end in two
// zero bytes, a value of an odd number of bytes gets a zero byte after its
// last one, so that it is read in whole two-byte units. When the count is 0,
// *failure (when given) receives 2033, or 3003 when the variable is set but
// memory ran out. Only one trailing backslash is removed, and only when it
// is a single-byte character.
int32_t homeLookup(StringList *list, ResultCode *failure = nullptr);

// Finds the connection directories and appends the existing ones to list
// (always connectionDirectories in the module). Returns 0 (also when none
// exists), 2033 without a home directory, 3014 when neither the option's
// version nor any version above "000" has a directory, 3013 when the index
// is missing or its "ConnectionPath" is missing or empty, 3003 when memory
// runs out; on a failure list is left as it was. An option version too long
// for its work area names no directory.
ResultCode loadConnectionDirectories(StringList *list);

// The index of the first home in which the pattern home + "\olap\zcf" +
// version + "*" finds a directory (files don't count), or -1.
int32_t findVersionHome(StringList *homes, const char *version);

// The index of the home with the highest version directory, or -1. Each
// directory matching home + "\olap\zcf*" gives the version of at most 3
// bytes after "ZCF" in its upper-cased name (zcf9015 gives 901, zcf9i 9I,
// zcf alone the empty text); at most 50 are taken in all. Versions compare
// as unsigned bytes, a leading part first; only one above "000" wins, and on
// equal versions the first home keeps it. version (capacity bytes) receives
// the winner, or the empty text.
int32_t findHighestVersion(StringList *homes, char *version, size_t capacity);

// Appends to list each directory of a "ConnectionPath" text that exists:
// blanks before the first are skipped, other blanks stay part of their
// directory, a semicolon inside a multibyte character separates nothing,
// empty segments and segments longer than 263 bytes are dropped (a cut
// segment would name another directory). Returns the number appended, or -1
// when memory runs out (what was appended before stays).
int32_t splitConnectionPath(const char *text, StringList *list);

#endif  // CBQ_CONNECTION_CONNECTION_DIRECTORIES_H
