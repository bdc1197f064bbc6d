#include "controls/storage/FcIntLst.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vdx {
namespace {

TFcIntegerList ListOf(std::initializer_list<int> values) {
    TFcIntegerList list;
    for (int v : values)
        list.Add(v);
    return list;
}

template <class E> std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

TEST(FcIntegerList, RangeChecks) {
    struct Case {
        const char* name;
        int min, max;
        std::function<void(TFcIntegerList&)> op;
        std::string message; // empty: accepted
        std::vector<int> after;
    };
    const std::vector<Case> cases = {
        {"no range accepts anything", 0, 0, [](auto& l) { l.Add(-2000000000); }, "", {-2000000000}},
        {"add above", 1, 10, [](auto& l) { l.Add(11); }, "Value must be within 1..10", {}},
        {"add below", 1, 10, [](auto& l) { l.Add(0); }, "Value must be within 1..10", {}},
        {"bounds are inside",
         1,
         10,
         [](auto& l) {
             l.Add(1);
             l.Add(10);
         },
         "",
         {1, 10}},
        {"put checks too",
         1,
         10,
         [](auto& l) {
             l.Add(5);
             l.Put(0, 12);
         },
         "Value must be within 1..10",
         {5}},
        {"insert checks too",
         1,
         10,
         [](auto& l) { l.Insert(0, -1); },
         "Value must be within 1..10",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFcIntegerList list;
        list.SetMax(c.max);
        list.SetMin(c.min);
        const std::string got = MessageOf<EOutOfRange>([&] { c.op(list); });
        EXPECT_EQ(got, c.message.empty() ? "(nothing thrown)" : c.message);
        EXPECT_EQ(list.Values(), c.after);
    }
}

TEST(FcIntegerList, NewBoundsMustHoldTheValues) {
    TFcIntegerList list;
    list.SetMax(10);
    list.SetMin(1);
    list.Add(7);
    EXPECT_EQ(MessageOf<EOutOfRange>([&] { list.SetMax(5); }),
              "Unable to set new maximum value.\rList contains values above 5");
    EXPECT_EQ(MessageOf<EOutOfRange>([&] { list.SetMin(8); }),
              "Unable to set new minimum value.\rList contains values below 8");
    EXPECT_EQ(list.Max(), 10);
    EXPECT_EQ(list.Min(), 1);

    // The other bound follows when it would cross.
    TFcIntegerList empty;
    empty.SetMin(20);
    EXPECT_EQ(empty.Max(), 20);
    empty.SetMax(-5);
    EXPECT_EQ(empty.Min(), -5);
}

TEST(FcIntegerList, SortedAddAndDuplicatePolicies) {
    struct Case {
        const char* name;
        TDuplicates policy;
        std::vector<int> expected;
        int position; // of the second Add(5); -1: throws
    };
    const std::vector<Case> cases = {
        {"ignore returns the held position", TDuplicates::dupIgnore, {1, 5, 9}, 1},
        {"accept inserts before the first equal", TDuplicates::dupAccept, {1, 5, 5, 9}, 1},
        {"error refuses", TDuplicates::dupError, {1, 5, 9}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFcIntegerList list;
        list.SetSorted(true);
        list.SetDuplicates(c.policy);
        EXPECT_EQ(list.Add(9), 0);
        EXPECT_EQ(list.Add(1), 0);
        EXPECT_EQ(list.Add(5), 1);
        if (c.position < 0) {
            EXPECT_EQ(MessageOf<EListError>([&] { list.Add(5); }), "Duplicates not allowed");
        } else {
            EXPECT_EQ(list.Add(5), c.position);
        }
        EXPECT_EQ(list.Values(), c.expected);
        EXPECT_EQ(list.IndexOf(5), 1);
        EXPECT_EQ(list.IndexOf(4), -1);
    }
}

TEST(FcIntegerList, FindWithAcceptGoesToTheFirstEqual) {
    TFcIntegerList list;
    list.SetSorted(true);
    list.SetDuplicates(TDuplicates::dupAccept);
    for (int v : {3, 3, 3, 3, 7})
        list.Add(v);
    int index = -1;
    EXPECT_TRUE(list.Find(3, index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list.Find(5, index));
    EXPECT_EQ(index, 4);
    EXPECT_FALSE(list.Find(8, index));
    EXPECT_EQ(index, 5);
}

TEST(FcIntegerList, UnsortedDuplicates) {
    TFcIntegerList list = ListOf({4, 2});
    list.InsertItem(0, 2); // dupIgnore: nothing happens
    EXPECT_EQ(list.Values(), (std::vector<int>{4, 2}));
    EXPECT_EQ(list.Add(2), 1); // where the refused value is held
    EXPECT_EQ(list.Count(), 2);

    list.SetDuplicates(TDuplicates::dupAccept);
    list.InsertItem(0, 2);
    EXPECT_EQ(list.Values(), (std::vector<int>{2, 4, 2}));
}

TEST(FcIntegerList, InsertRules) {
    TFcIntegerList list = ListOf({1, 2});
    list.Insert(2, 3); // at Count: appends
    list.Insert(0, 0);
    EXPECT_EQ(list.Values(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(5, 9); }), "List index out of bounds (5)");
    EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(-1, 9); }), "List index out of bounds (-1)");

    list.SetSorted(true);
    EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(0, 9); }),
              "Operation not allowed on sorted list");
}

TEST(FcIntegerList, IndexErrors) {
    TFcIntegerList list = ListOf({1, 2, 3});
    const std::vector<std::pair<const char*, std::function<void()>>> ops = {
        {"Items", [&] { (void)list.Items(3); }}, {"Put", [&] { list.Put(3, 0); }},
        {"Delete", [&] { list.Delete(3); }},     {"Exchange", [&] { list.Exchange(0, 3); }},
        {"Move", [&] { list.Move(0, 3); }},
    };
    for (const auto& [name, op] : ops) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MessageOf<EListError>(op), "List index out of bounds (3)");
        EXPECT_EQ(list.Values(), (std::vector<int>{1, 2, 3}));
    }
}

TEST(FcIntegerList, ReorderingAndSort) {
    TFcIntegerList list = ListOf({5, 1, 4, 1, 3});
    list.SetDuplicates(TDuplicates::dupAccept);
    list.Add(1);
    list.Exchange(0, 1);
    EXPECT_EQ(list.Values(), (std::vector<int>{1, 5, 4, 3, 1}));
    list.Move(1, 4);
    EXPECT_EQ(list.Values(), (std::vector<int>{1, 4, 3, 1, 5}));
    list.Delete(0);
    list.Sort();
    EXPECT_EQ(list.Values(), (std::vector<int>{1, 3, 4, 5}));

    // A list marked sorted is not sorted again by Sort; marking it sorts it.
    TFcIntegerList marked = ListOf({3, 1, 2});
    marked.SetSorted(true);
    EXPECT_EQ(marked.Values(), (std::vector<int>{1, 2, 3}));
    marked.Put(0, 9);
    marked.Sort();
    EXPECT_EQ(marked.Values(), (std::vector<int>{9, 2, 3}));
}

TEST(FcIntegerList, AssignCopiesItemsOnly) {
    TFcIntegerList source = ListOf({3, 1, 3});
    source.SetMax(100);
    TFcIntegerList target;
    target.SetSorted(true);
    target.Assign(source);
    EXPECT_EQ(target.Values(), (std::vector<int>{1, 3})); // target's own rules
    EXPECT_EQ(target.Max(), 0);
    EXPECT_FALSE(target.Equals(source));
    target.Assign(target);
    EXPECT_EQ(target.Values(), (std::vector<int>{1, 3}));
}

// A descendant sees every change through its overrides, as the tab-stop list does.
TEST(FcIntegerList, OverridesAreCalled) {
    struct Recording : TFcIntegerList {
        std::vector<std::string> calls;
        void InsertItem(int index, int value) override {
            calls.push_back("InsertItem");
            TFcIntegerList::InsertItem(index, value);
        }
        void Delete(int index) override {
            calls.push_back("Delete");
            TFcIntegerList::Delete(index);
        }
    } list;
    list.Add(1);
    list.Insert(0, 2);
    list.Delete(0);
    EXPECT_EQ(list.calls, (std::vector<std::string>{"InsertItem", "InsertItem", "Delete"}));
}

TEST(FcIntegerList, TextForm) {
    struct Case {
        const char* name;
        int min, max;
        std::vector<int> items;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"nothing to write", 0, 0, {}, ""},
        {"range only", -3, 7, {}, "Min = -3\nMax = 7\n"},
        {"items only", 0, 0, {4, -2}, "Integers = (\n  4\n  -2)\n"},
        {"all", 1, 10, {2}, "Min = 1\nMax = 10\nIntegers = (\n  2)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFcIntegerList list;
        list.SetMax(c.max);
        list.SetMin(c.min);
        for (int v : c.items)
            list.Add(v);
        EXPECT_EQ(list.WriteProperties(), c.text);

        TFcIntegerList back;
        back.ReadProperties(c.text);
        EXPECT_EQ(back.Min(), c.min);
        EXPECT_EQ(back.Max(), c.max);
        EXPECT_EQ(back.Values(), c.items);
    }

    TFcIntegerList ancestor = ListOf({1, 2});
    EXPECT_EQ(ListOf({1, 2}).WriteProperties(&ancestor), "");
    EXPECT_EQ(TFcIntegerList().WriteProperties(&ancestor), "Integers = ()\n");

    // Reading applies the list's rules, with the range read first.
    TFcIntegerList sorted;
    sorted.SetSorted(true);
    sorted.ReadProperties("Integers = (3 1 3 2)");
    EXPECT_EQ(sorted.Values(), (std::vector<int>{1, 2, 3}));
    EXPECT_THROW(sorted.ReadProperties("Min = 1 Max = 5 Integers = (9)"), EOutOfRange);

    for (const char* bad :
         {"Min =", "Min 3", "Integers = (1 x)", "Integers = (1", "Size = 3", "Max = 99999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(TFcIntegerList().ReadProperties(bad), EReadError);
    }
}

} // namespace
} // namespace vdx
