#include "query/query_definition.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

const char kBackslash = '\\';
const char kCarriageReturn = '\r';
const char kLineFeed = '\n';

// Where the byte `c` or the end stands in [from, end).
const char *findByte(const char *from, const char *end, char c) {
    const char *p = static_cast<const char *>(memchr(from, c, static_cast<size_t>(end - from)));
    return p == nullptr ? end : p;
}

bool isNumberSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// How many "=" bytes stand in bytes[0, count).
size_t countEquals(const char *bytes, size_t count) {
    size_t found = 0;
    const char *end = bytes + count;
    for (const char *p = bytes; (p = static_cast<const char *>(memchr(p, '=', static_cast<size_t>(end - p)))) != nullptr; ++p)
        ++found;
    return found;
}

int32_t readNumber(const char *text, size_t length) {
    size_t i = 0;
    while (i < length && isNumberSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

// The decimal text of a number, "-" when negative; returns its length.
size_t formatNumber(int32_t number, char (&digits)[12]) {
    char reversed[11];
    size_t count = 0;
    int64_t magnitude = number < 0 ? -static_cast<int64_t>(number) : number;
    do {
        reversed[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    size_t length = 0;
    if (number < 0)
        digits[length++] = '-';
    while (count > 0)
        digits[length++] = reversed[--count];
    digits[length] = 0;
    return length;
}

// Whether format holds no conversions but %d, %s and %%, which
// formatSimpleName writes itself.
bool isSimpleFormat(const char *format) {
    for (const char *p = format; (p = strchr(p, '%')) != nullptr; p += 2) {
        if (p[1] != 'd' && p[1] != 's' && p[1] != '%')
            return false;
    }
    return true;
}

// vsnprintf of a simple format into a kNameSize-byte buffer, without the
// general formatter's cost: record names are built at every lookup.
// Returns the length the whole name has, as vsnprintf does.
size_t formatSimpleName(char *name, const char *format, va_list arguments) {
    size_t length = 0;
    auto put = [&](const char *bytes, size_t count) {
        if (length < QueryDefinition::kNameSize - 1) {
            size_t room = QueryDefinition::kNameSize - 1 - length;
            memcpy(name + length, bytes, count < room ? count : room);
        }
        length += count;
    };
    for (const char *p = format; *p != 0; ++p) {
        if (*p != '%') {
            const char *next = strchr(p, '%');
            size_t count = next == nullptr ? strlen(p) : static_cast<size_t>(next - p);
            put(p, count);
            p += count - 1;
            continue;
        }
        ++p;
        if (*p == 'd') {
            char digits[12];
            put(digits, formatNumber(va_arg(arguments, int), digits));
        } else if (*p == 's') {
            const char *text = va_arg(arguments, const char *);
            put(text, strlen(text));
        } else {
            put(p, 1);
        }
    }
    name[length < QueryDefinition::kNameSize ? length : QueryDefinition::kNameSize - 1] = 0;
    return length;
}

// Copies a value into a fixed buffer of `capacity` bytes, terminated.
int copyBounded(const QueryDefinition::Record &record, char *buffer, size_t capacity) {
    if (capacity == 0)
        return QueryDefinition::kCut;
    size_t count = record.valueLength < capacity ? record.valueLength : capacity - 1;
    memcpy(buffer, record.value, count);
    buffer[count] = 0;
    return count == record.valueLength ? QueryDefinition::kFound : QueryDefinition::kCut;
}

}  // namespace

QueryDefinition::QueryDefinition() : storedLength_(0), readPosition_(0) {}

QueryDefinition::~QueryDefinition() {
    working_.release();
    encoded_.release();
}

bool QueryDefinition::parseStored(const char *stored) {
    return parseStored(stored, strlen(stored));
}

bool QueryDefinition::parseStored(const char *stored, size_t length) {
    // Parsed beside the old working text, which stays until the new one and
    // its index are complete. The working text is never longer than the
    // stored one.
    GrowableText parsed;
    if (!parsed.reserve(length))
        return false;
    const char *p = stored;
    const char *end = stored + length;
    while (p < end) {
        const char *backslash = findByte(p, end, kBackslash);
        parsed.append(p, static_cast<size_t>(backslash - p));
        if (backslash == end)
            break;
        if (backslash + 1 == end) {
            parsed.clear();  // a lone final backslash: the text is unreadable
            break;
        }
        if (backslash[1] == kBackslash) {
            parsed.appendByte(kBackslash);
            p = backslash + 2;
        } else {
            parsed.appendByte(kCarriageReturn);
            p = backslash + 1;
        }
    }
    if (!index_.build(parsed.text(), parsed.length()))
        return false;
    working_.swap(parsed);
    return true;
}

bool QueryDefinition::appendRecord(const char *name, const char *value, size_t valueLength) {
    size_t nameLength = strlen(name);
    // Each part is below 2^31, so the sum cannot wrap even with 32-bit sizes.
    if (nameLength > GrowableText::kMaxLength || valueLength > GrowableText::kMaxLength ||
        !working_.reserveMore(nameLength + valueLength + 2) ||
        !index_.reserveFor(nameLength + valueLength + 2,
                           countEquals(name, nameLength) + countEquals(value, valueLength) + 1))
        return false;
    working_.append(name, nameLength);
    working_.appendByte('=');
    working_.append(value, valueLength);
    working_.appendByte(kCarriageReturn);
    index_.update(working_.text(), working_.length());
    return true;
}

bool QueryDefinition::addText(const char *name, const char *value) {
    return appendRecord(name, value, strlen(value));
}

bool QueryDefinition::addNumber(const char *name, int32_t number) {
    char digits[12];
    size_t length = formatNumber(number, digits);
    return appendRecord(name, digits, length);
}

bool QueryDefinition::findRecord(const char *name, size_t nameLength, Record *record) const {
    const char *text = working_.text();
    const char *end = text + working_.length();
    long at = index_.find(text, working_.length(), name, nameLength);
    if (at < 0)
        return false;
    const char *value = text + at + nameLength + 1;
    record->name = text + at;
    record->nameLength = nameLength;
    record->value = value;
    record->valueLength = static_cast<size_t>(findByte(value, end, kCarriageReturn) - value);
    return true;
}

int QueryDefinition::findText(const char *name, GrowableText *value) const {
    value->clear();
    Record record;
    if (!findRecord(name, strlen(name), &record))
        return kMissing;
    return value->append(record.value, record.valueLength) ? kFound : kNoMemory;
}

int QueryDefinition::findInto(const char *name, char *buffer, size_t capacity) const {
    if (capacity > 0)
        buffer[0] = 0;
    Record record;
    if (!findRecord(name, strlen(name), &record))
        return kMissing;
    return copyBounded(record, buffer, capacity);
}

int QueryDefinition::findNumber(const char *name, int32_t *number) const {
    Record record;
    if (!findRecord(name, strlen(name), &record))
        return kMissing;
    *number = readNumber(record.value, record.valueLength);
    return kFound;
}

bool QueryDefinition::nextRecord(size_t *position, Record *record) const {
    const char *text = working_.text();
    const char *end = text + working_.length();
    const char *p = text + (*position < working_.length() ? *position : working_.length());
    for (;;) {
        while (p < end && (*p == kCarriageReturn || *p == kLineFeed))
            ++p;
        if (p == end) {
            *position = working_.length();
            return false;
        }
        const char *stop = p;
        while (stop < end && *stop != '=' && *stop != kCarriageReturn)
            ++stop;
        if (stop == end) {
            *position = working_.length();
            return false;
        }
        if (*stop == kCarriageReturn) {
            p = stop + 1;  // a line without "=" is no record
            continue;
        }
        const char *valueEnd = findByte(stop + 1, end, kCarriageReturn);
        record->name = p;
        record->nameLength = static_cast<size_t>(stop - p);
        record->value = stop + 1;
        record->valueLength = static_cast<size_t>(valueEnd - (stop + 1));
        *position = static_cast<size_t>((valueEnd == end ? end : valueEnd + 1) - text);
        return true;
    }
}

int QueryDefinition::isCoveredBy(const QueryDefinition &other) const {
    size_t position = 0;
    Record record;
    while (nextRecord(&position, &record)) {
        Record mine;
        Record theirs;
        if (!other.findRecord(record.name, record.nameLength, &theirs))
            return 0;
        findRecord(record.name, record.nameLength, &mine);  // found: the record itself matches
        if (mine.valueLength != theirs.valueLength ||
            memcmp(mine.value, theirs.value, mine.valueLength) != 0)
            return 0;
    }
    return 1;
}

bool QueryDefinition::encode() {
    const char *text = working_.text();
    const char *end = text + working_.length();
    size_t backslashes = 0;
    for (const char *p = findByte(text, end, kBackslash); p < end; p = findByte(p + 1, end, kBackslash))
        ++backslashes;
    if (backslashes > GrowableText::kMaxLength - working_.length() ||
        !encoded_.reserveMore(working_.length() + backslashes))
        return false;
    for (const char *p = text; p < end; ++p) {
        const char *q = p;
        while (q < end && *q != kBackslash && *q != kCarriageReturn)
            ++q;
        encoded_.append(p, static_cast<size_t>(q - p));
        if (q == end)
            break;
        if (*q == kBackslash)
            encoded_.appendByte(kBackslash);
        encoded_.appendByte(kBackslash);
        p = q;
    }
    storedLength_ = static_cast<int32_t>(encoded_.length());
    readPosition_ = 0;
    return true;
}

int QueryDefinition::nextSegment(GrowableText *segment) {
    segment->clear();
    if (readPosition_ < 0 || readPosition_ >= storedLength_)
        return kMissing;
    const char *text = encoded_.text();
    size_t length = static_cast<size_t>(storedLength_) <= encoded_.length()
                        ? static_cast<size_t>(storedLength_)
                        : encoded_.length();
    size_t start = static_cast<size_t>(readPosition_);
    size_t scan = start;
    while (scan < length) {
        if (text[scan] == kBackslash) {
            if (scan + 1 < length && text[scan + 1] == kBackslash) {
                scan += 2;
                continue;
            }
            if (scan + 1 < length)
                break;  // the backslash that ends the segment
        }
        ++scan;
    }
    size_t count = scan < length ? scan + 1 - start : length - start;
    if (scan == start && scan < length)
        count = 0;  // the scan ended at once: an empty segment
    if (!segment->append(text + start, count))
        return kNoMemory;
    readPosition_ = static_cast<int32_t>(scan < length ? scan + 1 : length);
    return kFound;
}

bool formatRecordName(char *name, const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int written = isSimpleFormat(format)
                      ? static_cast<int>(formatSimpleName(name, format, arguments))
                      : vsnprintf(name, QueryDefinition::kNameSize, format, arguments);
    va_end(arguments);
    if (written < 0 || static_cast<size_t>(written) >= QueryDefinition::kNameSize) {
        name[0] = 0;
        return false;
    }
    return true;
}

bool produceHostText(QueryDefinition *definition, GrowableText *hostText) {
    size_t original = hostText->length();
    if (!definition->encode())
        return false;
    GrowableText segment;
    int result;
    bool ok = true;
    while (ok && (result = definition->nextSegment(&segment)) != QueryDefinition::kMissing) {
        ok = result == QueryDefinition::kFound && hostText->append(segment.text(), segment.length()) &&
             hostText->appendByte('\n');
    }
    if (!ok)
        hostText->truncate(original);
    segment.release();
    return ok;
}
