// RecordIndex: answers "where does `name` followed by "=" first stand in
// this text" without searching the text from its start every time.
//
// The answer is defined by the plain search (findRecordPlain): the name and
// "=" as a byte substring of the whole text, the first occurrence winning,
// wherever it stands: at a record's start, after the LF a parsed line keeps,
// as the end of a longer name, or inside an earlier record's value. The index
// gives exactly that answer.
//
// How: every occurrence of name + "=" ends at an "=". Cut the text into
// segments, each the bytes after the previous "=" or CR up to the next "="
// (exclusive). A name without "=" and CR occurs before the "=" ending a
// segment exactly when it is a suffix of that segment. So the index keeps,
// for every suffix of every segment (up to kIndexedLength bytes), the first
// "=" it stands before, in a hash table keyed by a 64-bit hash of the suffix
// and its length. A lookup hashes the name, probes the table and checks the
// bytes in the text; a name that the table cannot answer alone (longer than
// kIndexedLength, holding "=" or CR, or a hash that matches other bytes) is
// searched plainly, from the first place it can stand.
//
// Invariants, true between any two calls:
//   - scanned_ bytes of the text are indexed; the text is the same bytes as
//     when they were indexed, and it only grows (or clear() starts anew);
//   - runStart_ is where the segment open at scanned_ began;
//   - every suffix (1 to kIndexedLength bytes) of every segment that ends
//     before scanned_ has its key in the table, with the first "=" it
//     stands before, unless the slot holds another suffix with the same key
//     (then a lookup of it finds that slot, whose bytes do not match, and
//     searches plainly);
//   - the table is null or a power-of-two number of slots, at most three
//     quarters of them used.
//
// Memory: build() and reserveFor() are the only calls that allocate; after
// reserveFor() succeeded for the bytes about to be appended, update() never
// fails. Should update() meet a table without room (a caller that did not
// reserve), the index gives up and every lookup searches plainly: slower,
// never wrong.
#ifndef CBQ_QUERY_RECORD_INDEX_H
#define CBQ_QUERY_RECORD_INDEX_H

#include <stddef.h>
#include <stdint.h>

// Position of the first occurrence of name + "=" in text[0, length), or -1.
// An empty name gives the first "=".
long findRecordPlain(const char *text, size_t length, const char *name, size_t nameLength,
                     size_t from = 0);

class RecordIndex {
public:
    // Suffixes up to this length are indexed; longer names take a plain
    // search from the first place their last kIndexedLength bytes stand.
    // Names built from the definition's formats are shorter.
    static constexpr size_t kIndexedLength = 64;

    RecordIndex();
    ~RecordIndex();
    RecordIndex(const RecordIndex &) = delete;
    RecordIndex &operator=(const RecordIndex &) = delete;

    // Replaces the index by one of the whole text. False when memory ran
    // out; the index is then as it was.
    bool build(const char *text, size_t length);

    // Makes room so that update() can index `byteCount` more bytes holding
    // `equalsCount` "=" bytes. False when memory ran out; nothing changed.
    bool reserveFor(size_t byteCount, size_t equalsCount);

    // Indexes text[scanned_, length): the text is the one indexed so far,
    // grown by appended bytes.
    void update(const char *text, size_t length);

    // Forgets the text (keeps the table's block).
    void clear();

    // Position of the first occurrence of name + "=" in text[0, length),
    // the text this index was updated with: as findRecordPlain.
    long find(const char *text, size_t length, const char *name, size_t nameLength) const;

private:
    struct Slot;

    bool grow(size_t entries);
    void swap(RecordIndex &other);
    void indexSegment(const char *text, size_t start, size_t equals);
    // The slot of key, or the empty slot where it would go.
    size_t probe(uint64_t key) const;

    Slot *slots_;
    size_t slotCount_;    // 0 or a power of two
    size_t used_;
    size_t scanned_;
    size_t runStart_;
    long firstEquals_;    // position of the text's first "=", -1 while none
    bool complete_;       // false: the table lacks entries; lookups search plainly
    bool growing_;        // while build() fills a fresh table: grow when full
};

#endif  // CBQ_QUERY_RECORD_INDEX_H
