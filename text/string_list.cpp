#include "text/string_list.h"

#include "host/memory.h"

StringList::StringList() : first_(nullptr), last_(nullptr), count_(0) {}

StringList::~StringList() { clear(); }

int32_t StringList::append(const char *text) {
    NlsString *string = memNew<NlsString>(text);
    if (string == nullptr)
        return -1;
    Node *node = memNew<Node>();
    if (node == nullptr) {
        memDelete(string);
        return -1;
    }
    node->item = string;
    node->next = nullptr;
    node->previous = last_;
    if (last_ == nullptr)
        first_ = node;
    else
        last_->next = node;
    last_ = node;
    return count_++;
}

NlsString *StringList::item(int32_t index, int takeOut) {
    if (index < 0 || index >= count_)
        return nullptr;
    Node *node = first_;
    for (int32_t i = 0; i < index; ++i)
        node = node->next;
    NlsString *string = node->item;
    if (takeOut == 0)
        return string;
    if (node->previous == nullptr)
        first_ = node->next;
    else
        node->previous->next = node->next;
    if (node->next == nullptr)
        last_ = node->previous;
    else
        node->next->previous = node->previous;
    --count_;
    memDelete(node);
    return string;
}

int32_t StringList::clear() {
    int32_t count = count_;
    Node *node = first_;
    while (node != nullptr) {
        Node *next = node->next;
        memDelete(node->item);
        memDelete(node);
        --count_;
        node = next;
    }
    count_ = 0;
    first_ = last_ = nullptr;
    return count;
}
