// QueryDefinition: one query as a list of named text records, in the working
// form the module builds and searches and the stored form the host keeps in
// its report.
//
// Working form: each record is its name, "=", its value and one CR (0x0D),
// in the order added; nothing is escaped, sorted or replaced.
//
// Stored form, made from the working form byte by byte: a backslash becomes
// two backslashes, a CR becomes one backslash, every other byte stays. The
// host receives it cut into segments, each ending with the next backslash
// that does not start a doubled pair, and each followed by one LF; so every
// record is one line: name, "=", value, backslash, LF. A CR inside a value is
// not protected (it ends the record); an LF inside a value stays a byte.
//
// Reading a stored text back: two backslashes give one backslash; a backslash
// followed by any other byte gives a CR and that byte is kept (so after a
// parse each name but the first is preceded by the line's LF); a backslash as
// the very last byte makes the whole text unreadable (working text empty).
//
// Lookup: name + "=" is searched as a plain, case-sensitive byte substring of
// the working text from its start; the first occurrence wins, even when it
// stands inside an earlier record's value. The value runs to the next CR or
// the end of the text. Stored reports rely on these rules, so they stay. A
// RecordIndex of the working text, kept up to date as the text is parsed
// and appended to, gives that answer without searching the text each time,
// so a lookup costs about the same whatever the definition's size.
//
// Memory: both texts are GrowableText. Operations that change the working
// text make room for its index first. Operations that append report failure
// (false, or kNoMemory from the lookups that fill a GrowableText) and leave
// what they would have changed as it was; callers turn that into 3003.
// Lookups never allocate.
#ifndef CBQ_QUERY_QUERY_DEFINITION_H
#define CBQ_QUERY_QUERY_DEFINITION_H

#include <stddef.h>
#include <stdint.h>

#include <type_traits>

#include "query/record_index.h"
#include "text/growable_text.h"

#if defined(__GNUC__)
#define CBQ_PRINTF_LIKE(formatIndex, firstArgument) \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define CBQ_PRINTF_LIKE(formatIndex, firstArgument)
#endif

// Builds a record name from a printf format and its arguments into a
// QueryDefinition::kNameSize-byte buffer. False, with "" in the buffer, when
// the name would exceed 51 bytes; such a name must not be looked up or
// written. This is where every formatted name of a definition is made.
bool formatRecordName(char *name, const char *format, ...) CBQ_PRINTF_LIKE(2, 3);

class QueryDefinition {
public:
    // Results of the lookups and of nextSegment.
    static constexpr int kMissing = 0;    // no such record; no segment left
    static constexpr int kFound = 1;      // the whole value (segment) was delivered
    static constexpr int kCut = -1;       // findInto: the value did not fit the buffer, which
                                          // holds its first capacity - 1 bytes
    static constexpr int kNoMemory = -2;  // findText/nextSegment: the out text could not grow

    // Size of a record-name buffer: names built from a format have at most
    // kNameSize - 1 (51) bytes.
    static constexpr size_t kNameSize = 52;

    // One record as it stands in the working text (not zero-terminated).
    struct Record {
        const char *name;
        size_t nameLength;
        const char *value;
        size_t valueLength;
    };

    QueryDefinition();  // both texts empty, both numbers 0
    ~QueryDefinition();
    QueryDefinition(const QueryDefinition &) = delete;
    QueryDefinition &operator=(const QueryDefinition &) = delete;

    // Replaces the working text by the reading of a stored text. An
    // unreadable text (ending in a single backslash) gives an empty working
    // text and true: the caller checks workingText().empty(). False only when
    // memory ran out; the working text is then unchanged.
    bool parseStored(const char *stored);
    bool parseStored(const char *stored, size_t length);

    // Append name, "=", the value (or the number in decimal, "-" when
    // negative) and CR: the whole record or, on failure, nothing.
    bool addText(const char *name, const char *value);
    bool addNumber(const char *name, int32_t number);
    // The same with the name built from a printf format and its arguments,
    // numbers and texts ("E%dDim%dName", 0, 1 gives E0Dim1Name). A name that
    // would exceed 51 bytes is not written: false, and nothing is added.
    template <class... Arguments>
    bool addTextF(const char *value, const char *format, Arguments... arguments) {
        char name[kNameSize];
        return formatName(name, format, arguments...) && addText(name, value);
    }
    template <class... Arguments>
    bool addNumberF(int32_t number, const char *format, Arguments... arguments) {
        char name[kNameSize];
        return formatName(name, format, arguments...) && addNumber(name, number);
    }

    // findText: empties `value`, then kFound with the value, kMissing, or
    // kNoMemory (value left empty).
    int findText(const char *name, GrowableText *value) const;
    // findInto: sets buffer to "" first (capacity >= 1 bytes); kFound with
    // the value and its terminator, kMissing, or kCut: the value has
    // capacity bytes or more and the buffer holds its first capacity - 1
    // bytes, terminated. Nothing beyond buffer[capacity - 1] is written.
    // kCut is nonzero, so a caller that only tests for "found" gets the
    // bounded prefix; one that cannot use a partial value treats it as a
    // failure.
    int findInto(const char *name, char *buffer, size_t capacity) const;
    // findNumber: kMissing leaves *number untouched; kFound sets it to the
    // value read as a number: leading white space skipped, an optional sign,
    // then decimal digits up to the first other byte; no digits reads as 0;
    // beyond the 32-bit range it saturates at INT32_MIN / INT32_MAX.
    int findNumber(const char *name, int32_t *number) const;

    // The same lookups with the name built from a printf format and its
    // arguments ("DB%d", 3 gives DB3). A name that would exceed 51 bytes is
    // not looked up: the result is kMissing, with the out argument as the
    // lookup's not-found case leaves it.
    template <class... Arguments>
    int findTextF(GrowableText *value, const char *format, Arguments... arguments) const {
        char name[kNameSize];
        if (formatName(name, format, arguments...))
            return findText(name, value);
        value->clear();
        return kMissing;
    }
    template <class... Arguments>
    int findIntoF(char *buffer, size_t capacity, const char *format, Arguments... arguments) const {
        char name[kNameSize];
        if (formatName(name, format, arguments...))
            return findInto(name, buffer, capacity);
        if (capacity > 0)
            buffer[0] = 0;
        return kMissing;
    }
    template <class... Arguments>
    int findNumberF(int32_t *number, const char *format, Arguments... arguments) const {
        char name[kNameSize];
        return formatName(name, format, arguments...) ? findNumber(name, number) : kMissing;
    }

    // The record that every lookup finds: the first place where the
    // nameLength bytes at name (any bytes, zero bytes too) stand directly
    // before an "=" in the working text (see Lookup above). False when there
    // is none. Never allocates.
    bool findRecord(const char *name, size_t nameLength, Record *record) const;

    // Steps through the records in the order they stand. *position is 0 for
    // the first call and is advanced by each call. Each line (up to a CR)
    // that holds an "=" is a record: its name runs from the line's start to
    // the first "=", its value from there to the CR or the end of the text.
    // The CR and LF bytes that start a line are line breaks, not part of the
    // name (so a parsed text, with its LFs and the doubled CRs of CR LF line
    // ends, gives the same names as the text it was made from); lines without
    // "=" are skipped. Returns false when no record is left.
    bool nextRecord(size_t *position, Record *record) const;

    // 1 when every record of this definition (walked with nextRecord) is
    // found in `other` with a byte-identical value, both values taken by
    // lookup (findRecord); else 0. Records only `other` has are never looked
    // at. Never allocates. Each record is visited exactly once, also when a
    // value holds a later record's name followed by "=" (where a walk that
    // looked each name up to find the next one would land inside the value
    // and go round forever).
    int isCoveredBy(const QueryDefinition &other) const;

    // Appends the stored form of the working text to the encoded text, sets
    // the stored length to the encoded text's length and the read position
    // to 0. False when memory ran out; then nothing changes.
    bool encode();

    // Empties `segment`; kMissing when the read position is at or beyond the
    // stored length. Otherwise the next segment of the encoded text: from the
    // read position through the first backslash that neither starts a doubled
    // pair nor is the text's last byte (through the end when there is none);
    // when that backslash is at the read position itself the segment is
    // empty. The read position moves one past it and the result is kFound.
    // kNoMemory leaves the read position where it was.
    int nextSegment(GrowableText *segment);

    const GrowableText &workingText() const { return working_; }
    const GrowableText &encodedText() const { return encoded_; }
    int32_t storedLength() const { return storedLength_; }
    int32_t readPosition() const { return readPosition_; }

private:
    // Record names are built from numbers and texts only: the arguments
    // travel as a C variable argument list, where any other type would be
    // read as something else.
    template <class Argument>
    static constexpr bool isNameArgument() {
        return (std::is_integral<Argument>::value && sizeof(Argument) <= sizeof(int)) ||
               std::is_same<Argument, const char *>::value || std::is_same<Argument, char *>::value;
    }
    template <class... Arguments>
    static bool formatName(char (&name)[kNameSize], const char *format, Arguments... arguments) {
        static_assert((isNameArgument<Arguments>() && ...), "a record name takes numbers and texts");
        return formatRecordName(name, format, arguments...);
    }

    bool appendRecord(const char *name, const char *value, size_t valueLength);

    int32_t storedLength_;
    int32_t readPosition_;
    GrowableText working_;
    GrowableText encoded_;
    RecordIndex index_;  // of working_
};

// The host's text: encodes the definition and appends each stored segment
// followed by one LF to `hostText`. False when memory ran out; hostText then
// keeps its old contents.
bool produceHostText(QueryDefinition *definition, GrowableText *hostText);

#endif  // CBQ_QUERY_QUERY_DEFINITION_H
