// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "tests/support/raised_message.h"

namespace {

std::vector<std::string> Texts(const TStringList &list) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < list.Count(); ++i) out.emplace_back(list.Strings(i).View());
    return out;
}

TEST(TStringList, UnsortedIndexOfIgnoresCaseTheTurkishWay) {
    TStringList list;
    list.Add("Istanbul");
    list.Add("IŞIK"_cp);
    list.Add("ılık"_cp);
    list.Add("ab");
    struct Row { const char *label; const char *key; int32_t expected; };
    const Row rows[] = {
        {"ASCII case", "istanbul", 0},
        {"Turkish dotless pair", "ışık"_cp, 1},
        {"dotted i is not dotless", "ilik", -1},
        {"prefix of an item", "a", -1},
        {"longer than an item", "abc", -1},
        {"null", nullptr, -1},
    };
    for (const Row &row : rows) EXPECT_EQ(list.IndexOf(row.key), row.expected) << row.label;
}

TEST(TStringList, SortedListsCompareBytesAndInsertDuplicatesFirst) {
    TStringList list;
    list.SetSorted(true);
    TStringItem *first = list.Add("b");
    list.Add("a");
    TStringItem *second = list.Add("b");
    list.Add("ab");
    list.Add("");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"", "a", "ab", "b", "b"}));
    EXPECT_EQ(list.Item(3), second);  // a new duplicate goes before the older ones
    EXPECT_EQ(list.Item(4), first);

    int32_t index = -1;
    EXPECT_TRUE(list.Find("b", 1, index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find("aa", 2, index));
    EXPECT_EQ(index, 2);

    list.Add("Istanbul");
    EXPECT_EQ(list.IndexOf("istanbul"), -1);  // case counts once the list is sorted
    EXPECT_EQ(list.IndexOf("Istanbul"), 1);
}

TEST(TStringList, ItemsKeepTheirBytesAndValues) {
    TStringList list;
    const char withNul[] = {'a', '\0', 'b'};
    list.InsertItem(0, withNul, 3, 7);
    list.AddObject("x", 9);
    list.AddWide(u"Şu");
    MyString text("kelime");
    list.Add(text);
    EXPECT_EQ(list.Strings(0).Length(), 3);
    EXPECT_EQ(list.Strings(0).View(), std::string_view(withNul, 3));
    EXPECT_EQ(list.Values(0), 7);
    EXPECT_EQ(list.Values(1), 9);
    EXPECT_EQ(list.Strings(2).View(), "Şu"_cp);
    EXPECT_EQ(list.Values(3), 0);
    EXPECT_EQ(MessageOf([&] { list.Strings(4); }), "Invalid Index Of List 4");
}

TEST(TStringList, AssignAssignRangeAndAddStringsCopyTextAndValue) {
    TStringList source;
    for (const char *s : {"s0", "s1", "s2", "s3"}) source.AddObject(s, s[1] - '0' + 10);

    TStringList list;
    list.Add("old");
    list.AssignRange(source, 1, 2);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"s1", "s2"}));
    EXPECT_EQ(list.Values(1), 12);
    EXPECT_NE(list.Item(0), source.Item(1));  // copies, not shared items

    for (auto range : {std::pair{-1, 2}, std::pair{1, 4}}) {
        const int32_t bad = range.first < 0 ? range.first : range.second;
        EXPECT_EQ(MessageOf([&] { list.AssignRange(source, range.first, range.second); }),
                  "Invalid Index Of List " + std::to_string(bad));
        EXPECT_EQ(Texts(list), (std::vector<std::string>{"s1", "s2"}));  // unchanged
    }

    list.AddStrings(source);
    EXPECT_EQ(list.Count(), 6);
    list.AddStrings(list);  // from itself: doubles once
    EXPECT_EQ(list.Count(), 12);
    list.AssignRange(list, 0, 1);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"s1", "s2"}));

    list.Assign(source);
    EXPECT_EQ(Texts(list), Texts(source));
    EXPECT_EQ(list.Values(3), 13);

    TStringList sorted;
    sorted.SetSorted(true);
    sorted.Add("s9");
    sorted.AddStrings(source);  // a sorted target places each copy
    EXPECT_EQ(Texts(sorted), (std::vector<std::string>{"s0", "s1", "s2", "s3", "s9"}));
}

TEST(TStringList, DeleteDestroysOwnedItemsOnly) {
    TStringList list;
    EXPECT_EQ(MessageOf([&] { list.DeleteFirst(); }), "Invalid Index Of List 0");
    list.Add("a");
    list.Add("b");
    list.Add("c");
    list.Delete(1);  // owned: destroyed here (the sanitizer build checks for leaks)
    list.DeleteFirst();
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"c"}));
    EXPECT_EQ(MessageOf([&] { list.Delete(-1); }), "List index out of bounds");

    TStringList borrowing;
    borrowing.SetOwnsItems(false);
    TStringItem *item = borrowing.Add("kept");
    borrowing.DeleteFirst();
    EXPECT_EQ(item->Text.View(), "kept");  // still alive, and ours to free
    delete item;
}

}  // namespace
