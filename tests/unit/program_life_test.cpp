// The program's life: the first end and the first report stand, and no event runs after either.
#include "startup/program_life.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(ProgramLife, AReportIsShownOnceAndTheProgramEndsWithItsNumber) {
  ProgramLife life;
  EXPECT_TRUE(life.RunsEvents());
  ASSERT_TRUE(life.BeginReport(53));
  EXPECT_FALSE(life.RunsEvents()) << "no input, timer or clip event while the report is up";
  life.End(0);  // the mouse over another monitor
  EXPECT_FALSE(life.BeginReport(7)) << "a second failure opens no second report";
  EXPECT_FALSE(life.Ended());
  life.EndReport();
  EXPECT_TRUE(life.Ended());
  EXPECT_EQ(life.exitCode(), 53);
}

TEST(ProgramLife, TheFirstEndStandsAndNoReportFollowsIt) {
  ProgramLife life;
  life.End(0);
  life.End(3);
  EXPECT_FALSE(life.RunsEvents());
  EXPECT_FALSE(life.BeginReport(7)) << "a failure in the teardown";
  life.EndReport();
  EXPECT_TRUE(life.Ended());
  EXPECT_EQ(life.exitCode(), 0);
}

}  // namespace
}  // namespace torva
