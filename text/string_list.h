// StringList: an ordered list of NlsString values that owns them, read by
// index.
//
// Fields, in this order: first node, last node (both null while empty),
// count. Each node holds its item (an NlsString the list owns), the next node
// and the previous node. Items are numbered from 0 in list order; item access
// walks from the front, appending is constant time.
#ifndef CBQ_TEXT_STRING_LIST_H
#define CBQ_TEXT_STRING_LIST_H

#include <stdint.h>

#include "text/nls_string.h"

class StringList {
public:
    StringList();
    ~StringList();  // clear
    StringList(const StringList &) = delete;
    StringList &operator=(const StringList &) = delete;

    // Adds a new string holding a copy of text as the last item; returns its
    // index, or -1 (the list unchanged) when the string object or its node
    // can't be allocated. When only the copy of the text can't be allocated,
    // the item is added with an empty string and its index is returned.
    int32_t append(const char *text);

    // The item at index, null for an index outside 0 to count - 1. With
    // takeOut 0 the list keeps the item, which stays valid until the list is
    // cleared. With takeOut nonzero the item is unlinked and handed to the
    // caller, who destroys it with memDelete.
    NlsString *item(int32_t index, int takeOut = 0);

    int32_t count() const { return count_; }

    // Destroys every item and node; returns the count before clearing.
    int32_t clear();

private:
    struct Node {
        NlsString *item;
        Node *next;
        Node *previous;
    };

    Node *first_;
    Node *last_;
    int32_t count_;
};

#endif  // CBQ_TEXT_STRING_LIST_H
