#include "text/growable_text.h"

#include <string.h>

#include <utility>

#include "host/memory.h"

namespace {

const size_t kMinCapacity = 15;

}  // namespace

GrowableText::GrowableText() : data_(nullptr), length_(0), capacity_(0) {}

GrowableText::~GrowableText() { release(); }

// Moves the contents into a block of at least `needed` bytes, appending
// `extra` on the way: the old block is freed only after the extra bytes are
// copied, so they may come from the old contents.
bool GrowableText::grow(size_t needed, const char *extra, size_t extraCount) {
    if (needed > kMaxLength)
        return false;
    size_t capacity = capacity_ < kMaxLength / 2 ? capacity_ * 2 : kMaxLength;
    if (capacity < needed)
        capacity = needed;
    if (capacity < kMinCapacity)
        capacity = kMinCapacity;
    char *block = static_cast<char *>(memAlloc(capacity + 1));
    if (block == nullptr)
        return false;
    if (length_ > 0)
        memcpy(block, data_, length_);
    if (extraCount > 0)
        memcpy(block + length_, extra, extraCount);
    memFree(data_);
    data_ = block;
    capacity_ = capacity;
    length_ += extraCount;
    data_[length_] = 0;
    return true;
}

bool GrowableText::reserve(size_t capacity) {
    return capacity <= capacity_ || grow(capacity, nullptr, 0);
}

bool GrowableText::reserveMore(size_t count) {
    return count <= kMaxLength - length_ && reserve(length_ + count);
}

bool GrowableText::append(const char *bytes, size_t count) {
    if (count == 0)
        return true;
    if (count > kMaxLength - length_)
        return false;
    if (length_ + count > capacity_)
        return grow(length_ + count, bytes, count);
    memmove(data_ + length_, bytes, count);
    length_ += count;
    data_[length_] = 0;
    return true;
}

bool GrowableText::appendText(const char *text) { return append(text, strlen(text)); }

bool GrowableText::appendByte(char byte) { return append(&byte, 1); }

void GrowableText::truncate(size_t length) {
    if (length >= length_)
        return;
    length_ = length;
    data_[length_] = 0;
}

void GrowableText::release() {
    memFree(data_);
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
}

void GrowableText::swap(GrowableText &other) {
    std::swap(data_, other.data_);
    std::swap(length_, other.length_);
    std::swap(capacity_, other.capacity_);
}
