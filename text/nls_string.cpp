#include "text/nls_string.h"

#include <stddef.h>

#include <utility>

#include "host/memory.h"
#include "text/text_utils.h"

namespace {

// The shared empty text: long enough for any terminator, never written.
char emptyText[4];

size_t blockSizeFor(size_t n) { return 16 * ((n + terminatorSize() + 16) / 16); }

}  // namespace

NlsString::NlsString() : text_(emptyText), capacity_(0), length_(0) {}

NlsString::NlsString(const char *text) : NlsString() { append(text); }

NlsString::NlsString(const NlsString &other) : NlsString() { append(other.text_); }

NlsString::~NlsString() { clear(); }

bool NlsString::ownsBytes(const char *p) const {
    return text_ != emptyText && p >= text_ && p < text_ + capacity_ + terminatorSize();
}

int NlsString::append(const char *text) {
    if (text == nullptr)
        return 1;
    size_t n = textLength(text);
    if (n == 0)
        return 1;
    size_t length = static_cast<size_t>(length_);
    if (text_ != emptyText && length + n <= static_cast<size_t>(capacity_) && !ownsBytes(text)) {
        appendText(text_, text);
        length_ = static_cast<int32_t>(length + n);
        return 1;
    }
    // A new block: the first one, a larger one, or (when text is part of this
    // string) a fresh one so that the source stays intact while it is read.
    size_t size = blockSizeFor(length + n);
    char *block = static_cast<char *>(memAlloc(size));
    if (block == nullptr)
        return 0;
    if (text_ == emptyText) {
        copyText(block, text);
    } else {
        copyText(block, text_);
        copyText(block + length, text);
        memFree(text_);
    }
    text_ = block;
    capacity_ = static_cast<int32_t>(size - terminatorSize());
    length_ = static_cast<int32_t>(length + n);
    return 1;
}

void NlsString::swap(NlsString &other) {
    std::swap(text_, other.text_);
    std::swap(capacity_, other.capacity_);
    std::swap(length_, other.length_);
}

int NlsString::assign(const char *text) {
    if (text != nullptr && ownsBytes(text)) {
        // Copied before the block goes, since text lies in it.
        NlsString copy(text);
        bool copyFails = copy.length_ == 0 && textLength(text) != 0;
        clear();
        if (copyFails)
            return 0;
        text_ = copy.text_;
        capacity_ = copy.capacity_;
        length_ = copy.length_;
        copy.text_ = emptyText;
        copy.capacity_ = copy.length_ = 0;
        return 1;
    }
    clear();
    return append(text);
}

int NlsString::assign(const NlsString &other) { return assign(other.text_); }

void NlsString::clear() {
    if (text_ != emptyText)
        memFree(text_);
    text_ = emptyText;
    capacity_ = 0;
    length_ = 0;
}

int NlsString::endsWithChar(char c) const { return ::endsWithChar(text_, c); }
