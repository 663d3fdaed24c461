// StringList: order, access by index, taking out, clearing, and what each
// failed allocation leaves.
#include "text/string_list.h"

#include <string>
#include <vector>

#include "host/memory.h"
#include "tests/text/text_fixture.h"

namespace {

class StringListTest : public TextTest {};

std::vector<std::string> texts(StringList *list) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->text());
    return out;
}

TEST_F(StringListTest, AppendReturnsTheNewIndex) {
    StringList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.append("a"), 0);
    EXPECT_EQ(list.append("b"), 1);
    EXPECT_EQ(list.append(""), 2);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(texts(&list), (std::vector<std::string>{"a", "b", ""}));
}

TEST_F(StringListTest, ItemOutsideTheListIsNull) {
    StringList list;
    EXPECT_EQ(list.item(0), nullptr);
    list.append("a");
    EXPECT_EQ(list.item(1), nullptr);
    EXPECT_EQ(list.item(-1), nullptr);
    EXPECT_EQ(list.item(1, 1), nullptr);
    EXPECT_EQ(list.count(), 1);
}

TEST_F(StringListTest, ItemsStayValidWhileTheListGrows) {
    StringList list;
    list.append("first");
    NlsString *first = list.item(0);
    for (int i = 0; i < 20; ++i)
        list.append("more");
    EXPECT_EQ(list.item(0), first);
    EXPECT_STREQ(first->text(), "first");
}

TEST_F(StringListTest, TakingOutUnlinksTheItem) {
    struct Row {
        int32_t index;
        std::vector<std::string> left;
    } rows[] = {{0, {"b", "c", "d"}}, {1, {"a", "c", "d"}}, {2, {"a", "b", "d"}}};
    for (const Row &r : rows) {
        StringList list;
        for (const char *t : {"a", "b", "c"})
            list.append(t);
        NlsString *taken = list.item(r.index, 1);
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(std::string(taken->text()), std::string(1, static_cast<char>('a' + r.index)));
        memDelete(taken);
        EXPECT_EQ(list.count(), 2);
        EXPECT_EQ(list.append("d"), 2) << "the links still reach the last node";
        EXPECT_EQ(texts(&list), r.left) << "taking out item " << r.index;
    }
}

TEST_F(StringListTest, TakingOutTheOnlyItemEmptiesTheList) {
    StringList list;
    list.append("only");
    memDelete(list.item(0, 1));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.item(0), nullptr);
    EXPECT_EQ(list.clear(), 0);
    EXPECT_EQ(list.append("again"), 0);
    EXPECT_EQ(texts(&list), (std::vector<std::string>{"again"}));
}

TEST_F(StringListTest, ClearReturnsTheCountAndFreesEverything) {
    long live = memLiveBlocks();
    StringList list;
    for (const char *t : {"a", "b", "c"})
        list.append(t);
    EXPECT_EQ(list.clear(), 3);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.item(0), nullptr);
    EXPECT_EQ(memLiveBlocks(), live);
    EXPECT_EQ(list.append("x"), 0);
}

TEST_F(StringListTest, FailedAllocationsOfAnAppend) {
    // The allocations of one append, in order: the string object, the copy
    // of its text, the node.
    struct Row {
        long failing;
        int32_t result;
        std::vector<std::string> after;
    } rows[] = {
        {1, -1, {"kept"}},
        {2, 1, {"kept", ""}},  // only the text copy failed: added with an empty string
        {3, -1, {"kept"}},
    };
    for (const Row &r : rows) {
        long live = memLiveBlocks();
        {
            StringList list;
            list.append("kept");
            memFailAt(r.failing);
            EXPECT_EQ(list.append("new"), r.result) << "failing allocation " << r.failing;
            memFailAt(0);
            EXPECT_EQ(texts(&list), r.after) << "failing allocation " << r.failing;
            EXPECT_EQ(list.append("last"), static_cast<int32_t>(r.after.size()));
        }
        EXPECT_EQ(memLiveBlocks(), live) << "failing allocation " << r.failing;
    }
}

}  // namespace
