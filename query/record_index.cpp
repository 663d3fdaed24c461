#include "query/record_index.h"

#include <string.h>

#include <utility>

#include "host/memory.h"

namespace {

const char kCarriageReturn = '\r';

const uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

// The key of a suffix from its polynomial hash and its length.
uint64_t finishKey(uint64_t hash, size_t length) {
    uint64_t x = hash ^ (static_cast<uint64_t>(length) * 0xC2B2AE3D27D4EB4Full);
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

// The key of bytes[0, length), hashed from its last byte backwards, as the
// index hashes each suffix of a segment.
uint64_t keyOf(const char *bytes, size_t length) {
    uint64_t hash = 0;
    uint64_t power = 1;
    for (size_t i = length; i > 0; --i) {
        hash += (static_cast<uint64_t>(static_cast<unsigned char>(bytes[i - 1])) + 1) * power;
        power *= kMultiplier;
    }
    return finishKey(hash, length);
}

// Slots enough for `entries` at three quarters full, at least 64.
size_t slotsFor(size_t entries) {
    size_t count = 64;
    while (count / 4 * 3 < entries)
        count *= 2;
    return count;
}

// Calls segment(start, equals) for each "=" in text[from, length), start
// being where its segment began: after the previous "=" or CR, or at
// runStart for the first one. Returns where the segment still open at the
// end began.
template <class Segment>
size_t forEachSegment(const char *text, size_t from, size_t length, size_t runStart, Segment segment) {
    const char *end = text + length;
    const char *p = text + from;
    while (p < end) {
        const char *equals = static_cast<const char *>(memchr(p, '=', static_cast<size_t>(end - p)));
        const char *stop = equals == nullptr ? end : equals;
        for (const char *cr = p; (cr = static_cast<const char *>(memchr(cr, kCarriageReturn, static_cast<size_t>(stop - cr)))) != nullptr;)
            runStart = static_cast<size_t>(++cr - text);
        if (equals == nullptr)
            break;
        segment(runStart, static_cast<size_t>(equals - text));
        runStart = static_cast<size_t>(equals + 1 - text);
        p = equals + 1;
    }
    return runStart;
}

}  // namespace

// One table slot: the key split in two halves, so that a slot takes 12
// bytes, and the "=" position + 1 (0: an empty slot).
struct RecordIndex::Slot {
    uint32_t keyLow;
    uint32_t keyHigh;
    uint32_t position;
};

long findRecordPlain(const char *text, size_t length, const char *name, size_t nameLength,
                     size_t from) {
    if (from > length)
        return -1;
    const char *end = text + length;
    const char *p = text + from;
    if (nameLength == 0) {
        const char *equals = static_cast<const char *>(memchr(p, '=', static_cast<size_t>(end - p)));
        return equals == nullptr ? -1 : static_cast<long>(equals - text);
    }
    // name + "=" must fit: the last start is end - nameLength - 1.
    while (static_cast<size_t>(end - p) > nameLength) {
        const char *last = end - nameLength - 1;
        p = static_cast<const char *>(memchr(p, name[0], static_cast<size_t>(last - p) + 1));
        if (p == nullptr)
            return -1;
        if (p[nameLength] == '=' && memcmp(p + 1, name + 1, nameLength - 1) == 0)
            return static_cast<long>(p - text);
        ++p;
    }
    return -1;
}

RecordIndex::RecordIndex()
    : slots_(nullptr), slotCount_(0), used_(0), scanned_(0), runStart_(0), firstEquals_(-1),
      complete_(true), growing_(false) {}

RecordIndex::~RecordIndex() { memFree(slots_); }

void RecordIndex::clear() {
    if (slots_ != nullptr)
        memset(slots_, 0, slotCount_ * sizeof(Slot));
    used_ = 0;
    scanned_ = 0;
    runStart_ = 0;
    firstEquals_ = -1;
    complete_ = true;
}

size_t RecordIndex::probe(uint64_t key) const {
    const uint32_t low = static_cast<uint32_t>(key);
    const uint32_t high = static_cast<uint32_t>(key >> 32);
    const size_t mask = slotCount_ - 1;
    for (size_t i = static_cast<size_t>(key) & mask;; i = (i + 1) & mask) {
        const Slot &slot = slots_[i];
        if (slot.position == 0 || (slot.keyLow == low && slot.keyHigh == high))
            return i;
    }
}

// Room for `entries` entries in all: a larger table with the old entries
// moved in, or the table as it is when it has the room.
bool RecordIndex::grow(size_t entries) {
    const size_t limit = static_cast<size_t>(-1) / 2 / sizeof(Slot);
    if (entries > limit / 4 * 3)
        return false;
    size_t slotCount = slotsFor(entries);
    if (slotCount <= slotCount_)
        return true;
    Slot *slots = static_cast<Slot *>(memAllocZero(slotCount * sizeof(Slot)));
    if (slots == nullptr)
        return false;
    Slot *old = slots_;
    size_t oldCount = slotCount_;
    slots_ = slots;
    slotCount_ = slotCount;
    for (size_t i = 0; i < oldCount; ++i) {
        if (old[i].position != 0)
            slots_[probe((static_cast<uint64_t>(old[i].keyHigh) << 32) | old[i].keyLow)] = old[i];
    }
    memFree(old);
    return true;
}

void RecordIndex::swap(RecordIndex &other) {
    std::swap(slots_, other.slots_);
    std::swap(slotCount_, other.slotCount_);
    std::swap(used_, other.used_);
    std::swap(scanned_, other.scanned_);
    std::swap(runStart_, other.runStart_);
    std::swap(firstEquals_, other.firstEquals_);
    std::swap(complete_, other.complete_);
    std::swap(growing_, other.growing_);
}

bool RecordIndex::build(const char *text, size_t length) {
    // A fresh index that grows as it fills: the distinct suffixes of a text
    // are far fewer than all of them, which bound what update() may need.
    RecordIndex fresh;
    fresh.growing_ = true;
    if (!fresh.grow(length / 16))
        return false;
    fresh.update(text, length);
    if (!fresh.complete_)
        return false;
    fresh.growing_ = false;
    swap(fresh);
    return true;
}

bool RecordIndex::reserveFor(size_t byteCount, size_t equalsCount) {
    // Each "=" ends one segment, which brings at most kIndexedLength
    // entries; all of them together no more than their bytes, the open
    // segment's included.
    const size_t limit = static_cast<size_t>(-1) / 2 / sizeof(Slot);
    size_t open = scanned_ - runStart_;
    size_t bytes = byteCount > limit - open ? limit : byteCount + open;
    size_t bySegments = equalsCount > limit / kIndexedLength ? limit : equalsCount * kIndexedLength;
    size_t needed = used_ + (bytes < bySegments ? bytes : bySegments);
    if (needed <= slotCount_ / 4 * 3)
        return true;
    // Twice what is needed, so that a text grown record by record moves to
    // a larger table only a logarithmic number of times.
    return grow(needed < limit / 2 ? needed * 2 : needed);
}

void RecordIndex::indexSegment(const char *text, size_t start, size_t equals) {
    size_t longest = equals - start < kIndexedLength ? equals - start : kIndexedLength;
    uint64_t keys[kIndexedLength + 1];
    uint64_t hash = 0;
    uint64_t power = 1;
    for (size_t length = 1; length <= longest; ++length) {
        hash += (static_cast<uint64_t>(static_cast<unsigned char>(text[equals - length])) + 1) * power;
        power *= kMultiplier;
        keys[length] = finishKey(hash, length);
    }
    // From the longest suffix down: once one stood before an earlier "=",
    // all shorter ones did too and are in the table already.
    for (size_t length = longest; length >= 1; --length) {
        if (used_ + 1 > slotCount_ / 4 * 3 && !(growing_ && grow(used_ * 2 + 1))) {
            complete_ = false;  // no room: search plainly from now on
            return;
        }
        Slot &slot = slots_[probe(keys[length])];
        if (slot.position == 0) {
            slot.keyLow = static_cast<uint32_t>(keys[length]);
            slot.keyHigh = static_cast<uint32_t>(keys[length] >> 32);
            slot.position = static_cast<uint32_t>(equals + 1);
            ++used_;
            continue;
        }
        size_t earlier = slot.position - 1;
        if (earlier >= length && memcmp(text + earlier - length, text + equals - length, length) == 0)
            return;
        // Another suffix with the same key holds the slot: lookups of this
        // one will find its bytes differ and search plainly.
    }
}

void RecordIndex::update(const char *text, size_t length) {
    if (complete_) {
        runStart_ = forEachSegment(text, scanned_, length, runStart_, [&](size_t start, size_t equals) {
            if (firstEquals_ < 0)
                firstEquals_ = static_cast<long>(equals);
            if (complete_)
                indexSegment(text, start, equals);
        });
    }
    scanned_ = length;
}

long RecordIndex::find(const char *text, size_t length, const char *name, size_t nameLength) const {
    if (!complete_ || scanned_ != length)
        return findRecordPlain(text, length, name, nameLength);
    if (nameLength == 0 || firstEquals_ < 0)
        return firstEquals_;  // the first "=", or none at all
    // A name holding "=" or CR spans segments.
    if (memchr(name, '=', nameLength) != nullptr || memchr(name, kCarriageReturn, nameLength) != nullptr)
        return findRecordPlain(text, length, name, nameLength);

    size_t tail = nameLength < kIndexedLength ? nameLength : kIndexedLength;
    const char *suffix = name + (nameLength - tail);
    const Slot &slot = slots_[probe(keyOf(suffix, tail))];
    if (slot.position == 0)
        return -1;  // those bytes never stand before an "="
    size_t equals = slot.position - 1;
    if (equals < tail || memcmp(text + equals - tail, suffix, tail) != 0)
        return findRecordPlain(text, length, name, nameLength);
    if (tail == nameLength)
        return static_cast<long>(equals - nameLength);
    // A long name: its last bytes first stand before this "=", so it cannot
    // start earlier than here.
    return findRecordPlain(text, length, name, nameLength,
                           equals >= nameLength ? equals - nameLength : 0);
}
