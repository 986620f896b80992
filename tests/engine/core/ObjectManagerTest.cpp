#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/core/ObjectManager.h"

using namespace CorvantisEngine;

namespace {

// Counts destructor runs, so a test sees which objects were deleted and that none was deleted twice.
struct Tracked {
  explicit Tracked(std::vector<std::string>* log_, std::string name_) : log(log_), name(std::move(name_)) {}
  virtual ~Tracked() { log->push_back(name); }
  std::vector<std::string>* log;
  std::string name;
};

struct Derived : Tracked {
  using Tracked::Tracked;
  ~Derived() override { log->push_back("derived " + name); }
};

// A plain record holding a string: its destructor must run or the string leaks (seen by ASan).
struct Record {
  std::string text = std::string(100, 'r');
};

}  // namespace

TEST(ObjectManagerTest, AddRemoveAndCompactionTable) {
  // Steps on four objects A..D: '+' adds, '-' removes. After each step the slots are compared with the
  // expected layout ('.' is an empty slot) and the top of the free stack.
  struct Step {
    char op;
    char object;
    std::uint32_t result;  // id for '+', 1/0 for '-'
    const char* slots;
    int freeTop;  // -1 = empty stack
    const char* why;
  };
  const Step steps[] = {
      {'+', 'A', 0, "A", -1, "first object gets id 0"},
      {'+', 'B', 1, "AB", -1, ""},
      {'+', 'C', 2, "ABC", -1, ""},
      {'-', 'B', 1, "A.C", 1, "2 live of 3 slots: no compaction"},
      {'+', 'D', 1, "ADC", -1, "the freed slot is reused"},
      {'-', 'A', 1, ".DC", 0, "2 of 3"},
      {'-', 'D', 1, "C", -1, "1 of 3: compaction, C moves to id 0, stack emptied"},
      {'-', 'B', 0, "C", -1, "not held: nothing changes"},
      {'+', 'A', 1, "CA", -1, ""},
      {'+', 'B', 2, "CAB", -1, ""},
      {'+', 'D', 3, "CABD", -1, ""},
      {'-', 'C', 1, ".ABD", 0, "3 of 4"},
      {'-', 'A', 1, "..BD", 1, "2 of 4: 4 is not below 4, nothing moves"},
      {'+', 'A', 1, ".ABD", 0, "most recently freed slot first"},
      {'+', 'C', 0, "CABD", -1, ""},
      {'-', 'A', 1, "C.BD", 1, ""},
      {'-', 'B', 1, "C..D", 2, ""},
      {'-', 'C', 1, "D", -1, "1 of 4: D's id becomes 0"},
      {'-', 'D', 1, "", -1, "removing the last object leaves no slots"},
  };

  std::vector<std::string> deleted;
  std::map<char, Tracked*> pool;
  for (char name : {'A', 'B', 'C', 'D'}) {
    pool[name] = new Tracked(&deleted, std::string(1, name));
  }
  {
    ObjectManager<Tracked> manager;
    for (const Step& step : steps) {
      Tracked* object = pool[step.object];
      if (step.op == '+') {
        EXPECT_EQ(manager.AddObject(object), step.result) << step.op << step.object << ": " << step.why;
      } else {
        EXPECT_EQ(manager.RemoveObject(object), step.result != 0)
            << step.op << step.object << ": " << step.why;
      }
      std::string layout;
      std::uint32_t live = 0;
      for (Tracked* slot : manager.objects) {
        layout += slot ? slot->name : ".";
        live += slot ? 1 : 0;
      }
      EXPECT_EQ(layout, step.slots) << step.op << step.object << ": " << step.why;
      EXPECT_EQ(manager.count, live) << "count matches the live slots";
      const int top = manager.freeSlots.empty() ? -1 : static_cast<int>(manager.freeSlots.back());
      EXPECT_EQ(top, step.freeTop) << step.op << step.object << ": " << step.why;
      for (std::uint32_t freeSlot : manager.freeSlots) {
        EXPECT_EQ(manager.objects.at(freeSlot), nullptr) << "every free slot is empty";
      }
    }
    EXPECT_TRUE(deleted.empty()) << "RemoveObject never deletes";
  }
  EXPECT_TRUE(deleted.empty()) << "the manager ended empty";
  for (auto& [name, object] : pool) {
    delete object;
  }
}

TEST(ObjectManagerTest, NullDuplicatesAndLookUp) {
  std::vector<std::string> deleted;
  auto* a = new Tracked(&deleted, "a");
  Tracked stranger(&deleted, "stranger");
  {
    ObjectManager<Tracked> manager;
    EXPECT_EQ(manager.AddObject(nullptr), ObjectManager<Tracked>::kNoObject);
    EXPECT_EQ(manager.count, 0u);
    EXPECT_TRUE(manager.objects.empty());
    EXPECT_FALSE(manager.RemoveObject(nullptr));
    EXPECT_FALSE(manager.RemoveObject(&stranger));

    // The same pointer twice fills two slots; removing it once clears only the first.
    EXPECT_EQ(manager.AddObject(a), 0u);
    EXPECT_EQ(manager.AddObject(a), 1u);
    EXPECT_EQ(manager.count, 2u);
    EXPECT_EQ(manager.FindObject(a), 0u);
    EXPECT_EQ(manager.GetObject(1), a);
    EXPECT_EQ(manager.GetObject(7), nullptr) << "out of range";
    EXPECT_EQ(manager.FindObject(&stranger), ObjectManager<Tracked>::kNoObject);

    auto* b = new Tracked(&deleted, "b");
    manager.AddObject(b);
    EXPECT_TRUE(manager.RemoveObject(a));
    EXPECT_EQ(manager.objects[0], nullptr);
    EXPECT_EQ(manager.objects[1], a);
  }
  // The destructor deleted the live objects, the doubly-added one only once.
  EXPECT_EQ(deleted, (std::vector<std::string>{"a", "b"}));
}

TEST(ObjectManagerTest, DestructorDeletesThroughTheVirtualDestructor) {
  std::vector<std::string> deleted;
  {
    ObjectManager<Tracked> manager;
    manager.AddObject(new Derived(&deleted, "x"));
    manager.AddObject(new Tracked(&deleted, "y"));
    Tracked* removed = new Tracked(&deleted, "z");
    manager.AddObject(removed);
    manager.RemoveObject(removed);
    delete removed;  // the caller owns what it removed
  }
  EXPECT_EQ(deleted, (std::vector<std::string>{"z", "derived x", "x", "y"}));
}

TEST(PointerContainers, DeleteAndPruneHelpers) {
  std::vector<std::string> deleted;
  auto* shared = new Tracked(&deleted, "shared");
  std::vector<Tracked*> list{new Tracked(&deleted, "1"), nullptr, shared, shared, new Derived(&deleted, "2")};
  DeletePointerVector(list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(deleted, (std::vector<std::string>{"1", "shared", "derived 2", "2"}))
      << "in order, nulls skipped, a repeated pointer deleted once";

  deleted.clear();
  std::map<std::string, Tracked*> fonts{{"a", new Tracked(&deleted, "a")}, {"b", nullptr}};
  DeletePointerMapValues(fonts);
  EXPECT_TRUE(fonts.empty());
  EXPECT_EQ(deleted, std::vector<std::string>{"a"});

  // Records holding strings: the destructors must run (the sanitizer build reports a leak otherwise).
  std::vector<Record*> records{new Record, new Record, nullptr};
  DeleteRawPointerVector(records);
  EXPECT_TRUE(records.empty());

  std::vector<std::vector<int>*> shapes{new std::vector<int>{1, 2}, nullptr};
  DeletePointerVector(shapes);
  EXPECT_TRUE(shapes.empty());

  int p = 0, q = 0;
  std::vector<int*> sparse{&p, nullptr, &q, nullptr};
  RemovePointerFromVector(sparse);
  EXPECT_EQ(sparse, (std::vector<int*>{&p, &q}));
  std::vector<int*> none{nullptr, nullptr};
  RemovePointerFromVector(none);
  EXPECT_TRUE(none.empty());
}
