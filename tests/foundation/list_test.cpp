// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/event_handlers.h"
#include "foundation/exceptions.h"
#include "tests/support/raised_message.h"

namespace {

int marks[8];  // distinct addresses to store as entries
void *Entry(int i) { return &marks[i]; }

std::vector<void *> Entries(const TCustomList &list) {
    std::vector<void *> out;
    for (int32_t i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
    return out;
}

TEST(TList, CapacityGrowsBy4Then16ThenAQuarter) {
    TList list;
    std::vector<int32_t> capacities{list.Capacity()};
    for (int i = 0; i < 118; ++i) {
        list.Add(Entry(0));
        if (list.Capacity() != capacities.back()) capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{0, 4, 8, 12, 28, 44, 60, 76, 95, 118}));

    TList at64;
    at64.SetCapacity(64);
    for (int i = 0; i < 65; ++i) at64.Add(Entry(0));
    EXPECT_EQ(at64.Capacity(), 80);  // 16 more at exactly 64, a quarter only above it
}

TEST(TList, CapacityChecksLeaveTheListUnchanged) {
    TList list;
    for (int i = 0; i < 3; ++i) list.Add(Entry(i));
    const int32_t capacity = list.Capacity();

    struct Row { const char *label; int32_t n; };
    for (Row row : {Row{"above the limit", MaxListCapacity + 1}, Row{"below Count", 2},
                    Row{"negative", -1}}) {
        EXPECT_EQ(MessageOf([&] { list.SetCapacity(row.n); }), "List capacity out of bounds")
            << row.label;
        EXPECT_EQ(list.Capacity(), capacity) << row.label;
        EXPECT_EQ(Entries(list), (std::vector<void *>{Entry(0), Entry(1), Entry(2)})) << row.label;
    }
    list.SetCapacity(3);  // exactly Count is allowed
    EXPECT_EQ(list.Capacity(), 3);
}

TEST(TList, GrowthReachesTheLimitAndThenRefuses) {
    TList list;
    list.SetCapacity(MaxListCapacity - 1);
    for (int32_t i = 0; i < MaxListCapacity - 1; ++i) list.Add(nullptr);
    // The regular step (a quarter) would overshoot; the list still takes its last entry.
    list.Add(Entry(1));
    EXPECT_EQ(list.Capacity(), MaxListCapacity);
    EXPECT_EQ(MessageOf([&] { list.Add(Entry(2)); }), "List capacity out of bounds");
    EXPECT_EQ(list.Count(), MaxListCapacity);
    EXPECT_EQ(list.Get(MaxListCapacity - 1), Entry(1));
}

TEST(TList, IndexChecks) {
    TList list;
    struct Row { const char *label; std::string expected; std::function<void()> call; };
    const std::vector<Row> onEmpty = {
        {"Get(0)", "Invalid Index Of List 0", [&] { list.Get(0); }},
        {"Get(-1)", "Invalid Index Of List -1", [&] { list.Get(-1); }},
        {"Insert(1)", "Invalid Insert Index", [&] { list.Insert(1, Entry(0)); }},
        {"Insert(-1)", "Invalid Insert Index", [&] { list.Insert(-1, Entry(0)); }},
        {"Delete(0)", "List index out of bounds", [&] { list.Delete(0); }},
    };
    for (const Row &row : onEmpty) {
        EXPECT_EQ(MessageOf(row.call), row.expected) << row.label;
        EXPECT_EQ(list.Count(), 0) << row.label;
    }

    list.Add(Entry(0));
    list.Add(Entry(1));
    EXPECT_EQ(MessageOf([&] { list.Get(2); }), "Invalid Index Of List 2");
    EXPECT_EQ(MessageOf([&] { list.Delete(-1); }), "List index out of bounds");
    EXPECT_EQ(MessageOf([&] { list.Delete(2); }), "List index out of bounds");
    EXPECT_EQ(Entries(list), (std::vector<void *>{Entry(0), Entry(1)}));
}

TEST(TList, InsertAndDeleteShiftEntriesAndResetTheCursor) {
    TList list;
    EXPECT_EQ(list.Cursor(), -1);
    EXPECT_TRUE(list.Eof());

    list.Insert(0, Entry(1));  // into an empty list
    list.Add(Entry(3));
    list.Insert(1, Entry(2));
    list.InsertFirst(Entry(0));
    EXPECT_EQ(Entries(list), (std::vector<void *>{Entry(0), Entry(1), Entry(2), Entry(3)}));

    list.Next();
    list.Next();
    EXPECT_EQ(list.Cursor(), 2);
    list.Delete(1);
    EXPECT_EQ(Entries(list), (std::vector<void *>{Entry(0), Entry(2), Entry(3)}));
    EXPECT_EQ(list.Cursor(), 0);
    EXPECT_FALSE(list.Eof());

    list.Next();
    list.Add(Entry(4));
    EXPECT_EQ(list.Cursor(), 0);

    while (list.Count() > 0) list.Delete(list.Count() - 1);
    EXPECT_EQ(list.Cursor(), -1);
    EXPECT_TRUE(list.Eof());
    EXPECT_GT(list.Capacity(), 0);  // Delete never shrinks the array
}

TEST(TList, CursorWalk) {
    TList list;
    for (int i = 0; i < 3; ++i) list.Add(Entry(i));
    std::vector<void *> seen;
    for (list.First(); !list.Eof(); list.Next()) seen.push_back(list.Get(list.Cursor()));
    EXPECT_EQ(seen, Entries(list));
    EXPECT_EQ(list.Cursor(), 2);  // Eof leaves the cursor on the last entry
    EXPECT_EQ(list.Next(), 2);
}

TEST(TList, SnapshotIsACopyThatOutlivesClear) {
    TList list;
    list.Add(Entry(0));
    list.Add(Entry(1));
    EXPECT_EQ(list.TakeSnapshot(), 2);
    list.Delete(0);
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Cursor(), -1);
    EXPECT_EQ(list.Snapshot(), (std::vector<void *>{Entry(0), Entry(1)}));

    list.Add(Entry(5));
    EXPECT_EQ(list.TakeSnapshot(), 1);
    EXPECT_EQ(list.Snapshot(), (std::vector<void *>{Entry(5)}));
}

// --- Listener lists

class TEventHandler_Sample {
public:
    virtual ~TEventHandler_Sample() = default;
    virtual void OnValue(int /*value*/, std::string & /*log*/) {}
    virtual int OnOther() { return 0; }
};

class TEventHandlers_Sample : public TEventHandlers<TEventHandler_Sample> {
public:
    virtual int32_t OnValue(int value, std::string &log) {
        return Notify(&TEventHandler_Sample::OnValue, value, log);
    }
};

class Named : public TEventHandler_Sample {
public:
    explicit Named(std::string name) : name_(std::move(name)) {}
    void OnValue(int value, std::string &log) override {
        log += name_ + std::to_string(value) + " ";
    }

private:
    std::string name_;
};

// A listener that is one of several bases: it must be stored as its listener base.
class Other {
public:
    virtual ~Other() = default;
    int padding = 7;
};
class MultiBase : public Other, public Named {
public:
    MultiBase() : Named("m") {}
};

TEST(TEventHandlers, LatestRegisteredIsNotifiedFirstWithTheSameArguments) {
    TEventHandlers_Sample listeners;
    Named a("a"), b("b");
    MultiBase m;
    TEventHandler_Sample silent;  // the default operations do nothing
    listeners.InsertFirst(&a);
    listeners.InsertFirst(&silent);
    listeners.InsertFirst(&b);
    listeners.InsertFirst(&m);
    std::string log;
    EXPECT_EQ(listeners.OnValue(5, log), 4);
    EXPECT_EQ(log, "m5 b5 a5 ");
    EXPECT_EQ(listeners.Notify(&TEventHandler_Sample::OnOther), 4);
}

TEST(TEventHandlers, CountIsReadAfreshDuringTheWalk) {
    struct Adder : TEventHandler_Sample {
        TEventHandlers_Sample *list = nullptr;
        Named *extra = nullptr;
        void OnValue(int, std::string &log) override {
            log += "add ";
            if (extra) list->Add(extra);
            extra = nullptr;
        }
    };
    struct Clearer : TEventHandler_Sample {
        TEventHandlers_Sample *list = nullptr;
        void OnValue(int, std::string &log) override {
            log += "clear ";
            list->Delete(list->Count() - 1);
            list->Delete(list->Count() - 1);
        }
    };

    TEventHandlers_Sample listeners;
    Named late("late");
    Adder adder;
    adder.list = &listeners;
    adder.extra = &late;
    listeners.Add(&adder);
    std::string log;
    EXPECT_EQ(listeners.OnValue(1, log), 2);  // the listener added at the end is reached
    EXPECT_EQ(log, "add late1 ");

    // Removing the rest of the list while the walk is at index 0 ends the walk.
    TEventHandlers_Sample shrinking;
    Clearer clearer;
    clearer.list = &shrinking;
    Named x("x"), y("y");
    shrinking.Add(&clearer);
    shrinking.Add(&x);
    shrinking.Add(&y);
    log.clear();
    EXPECT_EQ(shrinking.OnValue(2, log), 1);
    EXPECT_EQ(log, "clear ");
}

}  // namespace
