#include <cmath>
#include <limits>

#include "creature/creature.h"
#include "creature/grid.h"
#include "test_support.h"
#include "world/grid_query.h"

namespace viv {
namespace {

using Grid = CleanWorld;

// Every cell lists only creatures whose position is in it, and each of them once.
int CountEntries(TGrid& grid, const TCreature* c) {
  int n = 0;
  for (int i = -GridHalfSize; i <= GridHalfSize; ++i)
    for (int j = -GridHalfSize; j <= GridHalfSize; ++j)
      for (TCreature* e : grid.Cell(i, j)) n += e == c;
  return n;
}

TEST_F(Grid, CellsRoundHalvesToEvenAndClampAtTheBorder) {
  struct Row {
    float x;
    int cell;
  } rows[] = {{25, 0},    {75, 2},      {125, 2},     {-25, 0},     {-75, -2},      {24.9f, 0},
              {25.1f, 1}, {12525, 250}, {12526, 250}, {1e30f, 250}, {-1e30f, -250}, {-12600, -250}};
  for (const Row& r : rows) EXPECT_EQ(CellOf(r.x, 0).first, r.cell) << r.x;
  EXPECT_EQ(CellOf(std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()),
            std::make_pair(250, -250));
  EXPECT_EQ(CellOf(std::nanf(""), 0), std::make_pair(0, 0));
  EXPECT_EQ(CellOf(0, 60).second, 1);
}

TEST_F(Grid, AddRemoveAndMoveKeepOneEntryInTheRightCell) {
  TCreature a;
  World.Grid.Add(&a, 10, 10);
  World.Grid.Add(&a, 10, 10);
  EXPECT_EQ(World.Grid.Cell(0, 0).size(), 1u);
  World.Grid.Move(&a, 10, 10, 20, 20);  // same cell: nothing happens
  EXPECT_EQ(World.Grid.Cell(0, 0).size(), 1u);
  World.Grid.Move(&a, 10, 10, 100, -100);
  EXPECT_TRUE(World.Grid.Cell(0, 0).empty());
  EXPECT_EQ(World.Grid.Cell(2, -2).size(), 1u);
  TCreature stray;
  World.Grid.Remove(&stray, 100, -100);  // not listed: nothing changes
  EXPECT_EQ(World.Grid.Cell(2, -2).size(), 1u);
  World.Grid.Move(&stray, 0, 0, 20000, 0);  // joins the grid though never listed
  EXPECT_EQ(World.Grid.Cell(250, 0).size(), 1u);
  World.Grid.Move(&stray, 1, 1, 2, 2);  // same cell, not listed there: nothing
  EXPECT_TRUE(World.Grid.Cell(0, 0).empty());
  stray.X = 20000;
  a.X = 100, a.Y = -100;
}

TEST_F(Grid, ADestroyedCreatureLeavesNoEntry) {
  TCreature* c = TCreature::CreateFood(World);
  c->X = 5000, c->Y = -7000;
  World.Grid.Add(c, c->X, c->Y);
  EXPECT_EQ(CountEntries(World.Grid, c), 1);
  delete c;
  EXPECT_TRUE(World.Grid.Cell(100, -140).empty());
}

TEST_F(Grid, QueriesReportOthersInsideTheRectangleInclusively) {
  TCreature q, edge, inside, outside, far;
  q.X = 0, q.Y = 0;
  edge.X = 100, edge.Y = 0;
  inside.X = -40, inside.Y = 30;
  outside.X = 101, outside.Y = 0;
  far.X = 20000, far.Y = 20000;
  for (TCreature* c : {&q, &edge, &inside, &outside, &far}) World.Grid.Add(c, c->X, c->Y);
  std::vector<TCreature*> found;
  auto collect = [&](TCreature* a, TCreature* b) {
    EXPECT_EQ(a, &q);
    found.push_back(b);
  };
  GridQuery(World.Grid, &q, -100, -100, 100, 100, collect);
  EXPECT_EQ(found, (std::vector<TCreature*>{&inside, &edge}));
  found.clear();
  GridQuery(World.Grid, &q, 100, 100, -100, -100, collect);  // inverted: nothing
  EXPECT_TRUE(found.empty());
  GridQuery(World.Grid, &q, 19000, 19000, 30000, 30000, collect);  // beyond the border, still found
  EXPECT_EQ(found, (std::vector<TCreature*>{&far}));
  for (TCreature* c : {&q, &edge, &inside, &outside, &far}) World.Grid.Remove(c, c->X, c->Y);
}

TEST_F(Grid, ACallbackMayMoveCreaturesWhileTheQueryWalks) {
  TCreature q, a, b;
  q.X = 0, q.Y = 0;
  a.X = 1, a.Y = 1;
  b.X = 2, b.Y = 2;
  for (TCreature* c : {&q, &a, &b}) World.Grid.Add(c, c->X, c->Y);
  std::vector<TCreature*> found;
  GridQuery(World.Grid, &q, -200, -200, 200, 200, [&](TCreature*, TCreature* other) {
    found.push_back(other);
    if (other == &a) {  // move a into a cell walked later: it is met again there
      World.Grid.Move(&a, a.X, a.Y, 150, 150);
      a.X = 150, a.Y = 150;
    }
  });
  // b shifted down into a's slot and was skipped; a was found again in its new cell.
  EXPECT_EQ(found, (std::vector<TCreature*>{&a, &a}));
  EXPECT_EQ(CountEntries(World.Grid, &a), 1);
  EXPECT_EQ(World.Grid.Cell(3, 3).size(), 1u);
  for (TCreature* c : {&q, &a, &b}) World.Grid.Remove(c, c->X, c->Y);
}

}  // namespace
}  // namespace viv
