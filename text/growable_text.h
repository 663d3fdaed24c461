// GrowableText: a plain growable byte string that owns its buffer.
//
// It holds bytes, not characters: no character set applies, and zero bytes
// may stand inside the contents (text() then reads as the part before the
// first one; length() counts them all). It serves where the module needs no
// NLS handling: the query name, the definition texts, server replies being
// parsed.
//
// Invariants, true between any two calls:
//   - data_ is null exactly when capacity_ is 0, and then length_ is 0;
//   - otherwise data_ is one block from memAlloc of capacity_ + 1 bytes,
//     length_ <= capacity_, and data_[length_] is 0, so the contents are
//     always zero-terminated;
//   - capacity_ never exceeds kMaxLength, so every length fits a 32-bit
//     signed count.
//
// Every operation that may need a larger block returns false when it cannot
// get one (out of memory, or more than kMaxLength bytes), and then leaves the
// contents exactly as they were. Operations that fit in the current capacity
// never allocate and never fail.
#ifndef CBQ_TEXT_GROWABLE_TEXT_H
#define CBQ_TEXT_GROWABLE_TEXT_H

#include <stddef.h>

class GrowableText {
public:
    static constexpr size_t kMaxLength = 0x7FFFFFFE;

    GrowableText();  // empty, owns no block
    ~GrowableText();
    GrowableText(const GrowableText &) = delete;
    GrowableText &operator=(const GrowableText &) = delete;

    // The contents, zero-terminated; "" when nothing is held. Valid until the
    // next call that changes this text.
    const char *text() const { return data_ == nullptr ? "" : data_; }
    size_t length() const { return length_; }
    bool empty() const { return length_ == 0; }
    size_t capacity() const { return capacity_; }

    // Makes room for at least `capacity` bytes of contents.
    bool reserve(size_t capacity);
    // Makes room for `count` bytes more than the current length.
    bool reserveMore(size_t count);

    // Append `count` bytes (which may lie inside this text), a zero-terminated
    // text without its terminator, or one byte.
    bool append(const char *bytes, size_t count);
    bool appendText(const char *text);
    bool appendByte(char byte);

    // Shortens the contents to `length` bytes (no effect when already
    // shorter); keeps the block.
    void truncate(size_t length);
    void clear() { truncate(0); }
    // Frees the block; the text is empty and owns nothing afterwards.
    void release();
    // Exchanges the contents and blocks of the two texts; never fails.
    void swap(GrowableText &other);

private:
    bool grow(size_t needed, const char *extra, size_t extraCount);

    char *data_;
    size_t length_;
    size_t capacity_;
};

#endif  // CBQ_TEXT_GROWABLE_TEXT_H
