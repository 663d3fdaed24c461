// NlsString: a growable zero-terminated text in the module's character set
// that copies and concatenates through the NLS library.
//
// Fields, in this order: text, capacity, length. While the string is empty,
// text points at one shared static empty text (zero-filled, never written or
// freed), and capacity and length are 0. Otherwise text is a heap block owned
// by the string; capacity = block size - terminator size; length =
// textLength(text) <= capacity.
//
// A block holds exactly what it must: for n bytes of text, the smallest
// multiple of 16 greater than n + terminator size (1 to 14 bytes: 16-byte
// block, capacity 15; 15 bytes: 32, capacity 31; 31 bytes: 48, capacity 47).
// There is no look-ahead growth.
//
// Failures are results: append and assign return 0 when memory is short. A
// failed append leaves the string as it was; after a failed assign the
// string is empty.
#ifndef CBQ_TEXT_NLS_STRING_H
#define CBQ_TEXT_NLS_STRING_H

#include <stdint.h>

class NlsString {
public:
    NlsString();
    // Empty, then append(text); text may be null. A failed copy leaves the
    // string empty.
    explicit NlsString(const char *text);
    NlsString(const NlsString &other);
    ~NlsString();
    NlsString &operator=(const NlsString &) = delete;

    // Appends text (null or empty: nothing changes). 1 on success, 0 when
    // memory is short. text may be (part of) this string's own text.
    int append(const char *text);
    // clear, then append. text may be (part of) this string's own text.
    int assign(const char *text);
    int assign(const NlsString &other);
    // Frees the block and makes the string empty.
    void clear();
    // Exchanges the contents of the two strings; never allocates or fails, so
    // a value prepared in a fresh string can replace this one without a step
    // that could leave it empty.
    void swap(NlsString &other);

    const char *text() const { return text_; }  // never null
    int32_t length() const { return length_; }
    int32_t capacity() const { return capacity_; }
    // Whether the last character of the text is the single-byte character c
    // (endsWithChar); 0 for an empty string.
    int endsWithChar(char c) const;

private:
    bool ownsBytes(const char *p) const;

    char *text_;
    int32_t capacity_;
    int32_t length_;
};

#endif  // CBQ_TEXT_NLS_STRING_H
