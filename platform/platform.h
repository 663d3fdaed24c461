// The thin layer over the operating system. On Windows each function is the
// Win32 call it names; on Linux it is a small implementation of our own that
// behaves as that call does wherever the module depends on it. Wine is the
// reference for "as that call does"; the notes below say where real Windows
// is known to differ.
//
// Every text is a zero-terminated byte string; every buffer comes with its
// size in bytes and is never written past it. Nothing here allocates through
// the module's allocator (host/memory.h): what a call needs is the system's
// own, and on Linux a search's listing is held in memory of the C library.
//
// Paths are Windows paths, as the module composes them: backslashes (forward
// slashes work too), "." and ".." resolved by their text, one trailing dot of
// an inner component and every trailing dot and blank of the last component
// dropped, letters matched without regard to case. On Linux a path maps onto
// the file system with '/' for each backslash, relative paths start at the
// current directory, and each component is looked up without regard to ASCII
// case (an exact match first, else the first match in listing order). Linux
// has no drive letters and no UNC names: a path that starts with "X:" or with
// two separators names nothing there. Names in a directory that no Windows
// path could name are not seen on Linux: names holding \ : * ? " < > |, and
// names ending in a dot or a blank ("a.qcf." or "b.qcf "; Windows drops those
// from a path, so such a name would read as its neighbour "a.qcf" or as
// nothing). Search never returns them, and no path finds them: a path's
// last component loses its trailing dots and blanks first, and an inner
// component still ending in a dot or a blank names nothing.
#ifndef CBQ_PLATFORM_PLATFORM_H
#define CBQ_PLATFORM_PLATFORM_H

#include <stdint.h>

// Initialises the component-object library for the calling thread
// (OleInitialize with a null argument on Windows, nothing on Linux). The
// result is not reported: the module does not depend on it.
void platformInitComponents();

// ---------------------------------------------------------------------------
// Private-profile (INI) reading: GetPrivateProfileStringA / IntA.
//
// Section and key names are matched without regard to case, after blanks
// around them are dropped (in the file and in the arguments); a NUL in the
// file ends a name ("K<NUL>x=1" is the key "K"). Only the first section of a
// name counts, and in it the first line of the key. Lines are trimmed of
// blanks (space, tab, CR, LF, VT, FF and Ctrl-Z); a CR and an LF each end a
// line wherever they stand, so LF, CR LF and CR-only files read alike and so
// do files that mix them ("K=1\rL=2\n" holds K and L). Lines before the
// first section belong to the section "". A key line is "name = value":
// blanks around the name and the value are dropped; a line without "=" is a
// key with no value, which reads as missing. ';' is not special: a line
// ";x=1" is the key ";x", so a commented-out line never answers for "x".
//
// The start of the file says how its text is written: after a UTF-8
// byte-order mark (EF BB BF) or without a mark, in bytes; after a UTF-16 mark
// (FF FE little-endian, FE FF big-endian, as Notepad saves "Unicode") in
// two-byte units. An odd last byte, half a unit, is dropped on Linux; Wine
// reads it as a unit whose other half is whatever its memory holds.
// A UTF-16 file without a mark is read as bytes (its names hold NULs: it
// answers nothing).
//
// On Linux values are bytes: those of the file, or the UTF-8 of a UTF-16
// file's characters (a surrogate without its partner as U+FFFD). Windows
// reads a file of bytes in the ANSI code page and hands every value over in
// that code page (a UTF-16 file's character that it lacks as '?', each half
// of a surrogate pair too), so there bytes of 0x80 and above go through the
// code page and blanks include its non-ASCII blanks (not under Wine); both
// give the same bytes for ASCII text. Windows caches open profiles; a file rewritten
// within the same timestamp may read stale there.
//
// On Linux only a regular file is read, and one of at most
// kPlatformProfileSizeLimit bytes: anything else (a directory, a FIFO, a
// device, a larger file) reads as a file that can't be opened, without
// waiting and without reading it. No connection file or index comes near the
// limit. A file is read once, from its start, up to the line that decides.
// ---------------------------------------------------------------------------

enum : uint32_t { kPlatformProfileSizeLimit = 1048576 };  // 1 MiB

// Reads the value of key in section of the INI file at path into buffer.
//
// The value, or the default when the file, the section or the key is
// missing or the key has no "=", is cut at size - 1 bytes and terminated;
// the result is the length of the text in the buffer (so size - 1 when it
// was cut). One pair of matching quotes around the text (" or ') is dropped
// before the cut. Trailing spaces of the default are dropped; its quotes only
// when the file exists or could be created there (its folder exists: not for
// a directory, a missing folder or an unreadable file). A null default reads
// as "". size 0: nothing is written and the result is 0. A null path or
// section, or a null or empty key, gives the empty text and 0.
//
// Where the cut falls inside a double-byte character of the ANSI code page,
// Windows ends the text before that character; Linux cuts at the byte.
uint32_t platformProfileString(const char *path, const char *section, const char *key,
                               const char *defaultText, char *buffer, uint32_t size);

// Reads the value of key in section as an integer. The default is returned
// when the file, the section or the key is missing or the value is empty.
// Otherwise only the first 29 bytes of the value count (after the quote
// rule above): leading bytes up to blank are skipped, then an optional '+'
// or '-', then "0x" (hex), "0o" (octal) or "0b" (binary) with a lower-case
// letter, else decimal; the digits run to the first byte that is no digit of
// that base. The number wraps modulo 2^32 and is returned as a signed
// 32-bit value: "4294967295" gives -1, "12abc" 12, "abc" 0, "0X1F" 0.
// A null path or section, or a null or empty key, gives the default.
int32_t platformProfileInt(const char *path, const char *section, const char *key,
                           int32_t defaultValue);

// ---------------------------------------------------------------------------
// File attributes: the bits of GetFileAttributesA and of each search match.
// ---------------------------------------------------------------------------

enum : uint32_t {
    kPlatformAttributeReadOnly = 0x1,   // a file without write permission
    kPlatformAttributeHidden = 0x2,     // Linux and Wine: a name starting with '.' (not . or ..)
    kPlatformAttributeDirectory = 0x10,
    kPlatformAttributeArchive = 0x20,   // every file that is not a directory
    kPlatformAttributeOffline = 0x1000, // never set on Linux
    kPlatformAttributesInvalid = 0xFFFFFFFFu,
};

enum {
    kPlatformNameSize = 260,      // a file name of a search match and its terminator
    kPlatformPathLimit = 260,     // longest path (bytes) that attributes and search accept
    kPlatformProfilePathLimit = 259,  // longest path (bytes) that profile reading accepts
};

// The attributes of the file or directory at path; kPlatformAttributesInvalid
// when nothing is there, when the path is longer than kPlatformPathLimit,
// and for a file named with a trailing separator. On Linux: a directory
// gives kPlatformAttributeDirectory, anything else kPlatformAttributeArchive
// (with ReadOnly when no write permission bit is set); Hidden is added for a
// name starting with '.'.
uint32_t platformFileAttributes(const char *path);

// ---------------------------------------------------------------------------
// File search: FindFirstFileA / FindNextFileA / FindClose.
//
// A pattern is a path whose last component may hold '*' (any run of bytes,
// also none) and '?' (exactly one byte); letters match without regard to
// case; when the name runs out, trailing '.' and '*' of the pattern match
// nothing, so "zcf*" finds "zcf" itself and "*.*" finds every name. A name
// whose 8.3 short form differs from it also matches by that short form: its
// extension is the first three bytes after the last dot, so "*.qcf" finds
// "a.qcfx" (Windows does so only on volumes that keep short names; the rest
// of a short form differs between Windows and Wine and is not relied on).
// Wildcards in an inner component, an empty last component (a pattern that
// ends in a separator) and a pattern longer than kPlatformPathLimit find
// nothing. "." and ".." are matches like any other name ("dir\*" finds them
// first).
//
// Order: Linux returns ".", "..", then the names by their upper-cased bytes
// (ties by their bytes), as Wine does. Linux reads and orders the directory
// once, when the search begins (Windows too gives a snapshot in effect): a
// name added later is not returned, one removed later is passed over. Real Windows returns what the file
// system gives (NTFS: a similar order; FAT: creation order). Callers must not
// rely on any order.
// ---------------------------------------------------------------------------

class PlatformFind {
public:
    PlatformFind() : handle_(nullptr), attributes_(0), phase_(0), name_(), pattern_() {}
    ~PlatformFind() { end(); }  // ends a search still open

    // Starts a search; true with the first match, false when nothing
    // matches (nothing is open then; on Linux also when memory for the
    // listing runs out). A search still open is ended first.
    bool begin(const char *pattern);

    // Moves to the following match; false at the end (the search stays open
    // until end()).
    bool next();

    // Ends the search; harmless when none is open.
    void end();

    // The current match: its name without directory and its attributes.
    // Valid after a true begin() or next().
    const char *name() const { return name_; }
    uint32_t attributes() const { return attributes_; }
    bool isDirectory() const { return (attributes_ & kPlatformAttributeDirectory) != 0; }

    PlatformFind(const PlatformFind &) = delete;
    PlatformFind &operator=(const PlatformFind &) = delete;

private:
    void *handle_;           // the search handle (Windows) or the listing (Linux)
    uint32_t attributes_;
    int phase_;              // Linux: 0 "." next, 1 "..", 2 the listed names
    char name_[kPlatformNameSize];
    char pattern_[kPlatformNameSize];  // Linux: the last component of the pattern
};

// ---------------------------------------------------------------------------
// Registry: RegOpenKeyExA / RegQueryValueExA / RegDeleteValueA, always under
// HKEY_LOCAL_MACHINE. Key and value names are matched without regard to case;
// a subkey may not start with a backslash. On Linux the registry is a text
// file (see the README: "Platform layer on Linux"), named by the environment
// variable CBQ_REGISTRY or else $HOME/.cbq90/registry, read at every call;
// anything there but a regular file reads as an empty registry.
// ---------------------------------------------------------------------------

// Reads the value valueName of the key subkey into buffer, whatever its
// type (no expansion, no conversion of a number to text). True when the key
// and the value exist and the value with a terminator fits in size bytes:
// the buffer then holds it, terminated. Otherwise false, and the buffer holds
// the empty text (when size > 0). A value stored with its terminator fits
// when its text is at most size - 1 bytes long.
bool platformRegistryRead(const char *subkey, const char *valueName, char *buffer, uint32_t size);

// Opens the key subkey for reading and setting values and deletes its value
// valueName. True when a value was deleted; false when the key or the value
// does not exist or the key may not be changed.
bool platformRegistryDeleteValue(const char *subkey, const char *valueName);

// ---------------------------------------------------------------------------
// Texts: lstrcmpiA, CharUpperA, wsprintfA.
// ---------------------------------------------------------------------------

// Compares a and b without regard to case: 0 when equal, else negative or
// positive. Equality is the same on both targets for ASCII; on Windows the
// comparison is the user locale's (linguistic: the sign for punctuation and
// the handling of bytes of 0x80 and above follow it), on Linux it compares
// the bytes with ASCII letters folded to lower case. Rely on the sign only
// for letters and digits.
int platformCompareNoCase(const char *a, const char *b);

// Converts text to upper case in place and returns it. ASCII letters on both
// targets; on Windows also the letters of the ANSI code page (and an invalid
// multibyte sequence may change), on Linux bytes of 0x80 and above are kept.
char *platformUpperCase(char *text);

// Formats into buffer as wsprintfA does and returns the length written. Only
// wsprintfA's conversions are portable: %d %i %u %x %X %c %s %% with the
// flags - 0 #, a width and a precision; int and const char * arguments
// (a null %s prints "(null)"). The output is cut at kPlatformFormatLimit
// bytes (wsprintfA's own limit) and further at capacity - 1, and always
// terminated; capacity 0 writes nothing and returns 0.
enum { kPlatformFormatLimit = 1023 };
int platformFormat(char *buffer, uint32_t capacity, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// ---------------------------------------------------------------------------
// Character classes: IsCharAlphaA.
// ---------------------------------------------------------------------------

// Whether the byte c, read as a character of its own, is a letter.
//
// On Windows this is IsCharAlphaA: the byte is converted to a character of
// the ANSI code page and that character's Unicode class decides. The module
// is made for systems whose ANSI code page is 936 (GBK, Chinese Simplified),
// the set its dialog texts are written in and the one the win32 tests run
// under (Wine with LANG=zh_CN.UTF-8). In that set a single byte is a letter
// exactly when it is an ASCII letter, A-Z or a-z: 0x80 is the euro sign,
// 0x81-0xFE are lead bytes that are no character on their own, and 0xFF is
// unassigned. Linux answers as Windows does for code page 936: true for the
// 52 ASCII letters, false for every other byte (digits, '_', blanks,
// punctuation, control bytes and all bytes of 0x80 and above).
//
// On a Windows system with a single-byte ANSI code page (1252 and the like)
// IsCharAlphaA also counts that page's accented letters (such as 0xC0-0xFF
// but 0xD7 and 0xF7 on 1252); Linux never does. Callers that must agree on
// both targets rely on the ASCII answer only.
bool platformIsCharAlpha(char c);

#endif  // CBQ_PLATFORM_PLATFORM_H
