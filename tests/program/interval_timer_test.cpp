#include "interval_timer.h"

#include <cmath>
#include <vector>

#include "gtest/gtest.h"

namespace pellarin {
namespace {

// A counter that returns the scripted readings in turn.
std::vector<int64_t> g_readings;
std::size_t g_reads = 0;
int64_t g_frequency = 0;

int64_t ScriptedCount() { return g_readings.at(g_reads++); }
int64_t ScriptedFrequency() { return g_frequency; }

class IntervalTimerTest : public ::testing::Test {
 protected:
  // A timer over the readings, at 4 ticks per second.
  IntervalTimer TimerReading(std::vector<int64_t> readings,
                             int64_t frequency = 4) {
    g_readings = std::move(readings);
    g_reads = 0;
    g_frequency = frequency;
    return IntervalTimer({&ScriptedCount, &ScriptedFrequency});
  }
};

TEST_F(IntervalTimerTest, ReadsNothingButTheRateUntilStarted) {
  IntervalTimer timer = TimerReading({});
  EXPECT_EQ(timer.ElapsedSeconds(), 0.0);
  EXPECT_EQ(g_reads, 0u);
}

TEST_F(IntervalTimerTest, StartAloneMeasuresNothing) {
  IntervalTimer timer = TimerReading({100, 110});
  timer.Stop();
  timer.Start();
  EXPECT_EQ(timer.ElapsedSeconds(), 0.0);
}

TEST_F(IntervalTimerTest, StopWithoutStartCountsFromZero) {
  IntervalTimer timer = TimerReading({1000});
  EXPECT_EQ(timer.Stop(), 1000);
  EXPECT_EQ(timer.ElapsedSeconds(), 250.0);
}

TEST_F(IntervalTimerTest, LaterStopsExtendTheSameInterval) {
  IntervalTimer timer = TimerReading({100, 106, 110, 121});
  timer.Start();
  EXPECT_EQ(timer.Stop(), 6);
  EXPECT_EQ(timer.Stop(), 10);
  EXPECT_EQ(timer.Stop(), 21);
  EXPECT_EQ(timer.ElapsedSeconds(), 5.25);
  EXPECT_EQ(timer.ElapsedSeconds(), 5.25);  // reading does not change it
}

TEST_F(IntervalTimerTest, StartDiscardsTheEarlierTotal) {
  IntervalTimer timer = TimerReading({0, 400, 1000, 1002});
  timer.Start();
  timer.Stop();
  timer.Start();
  EXPECT_EQ(timer.Stop(), 2);
  EXPECT_EQ(timer.ElapsedSeconds(), 0.5);
}

TEST_F(IntervalTimerTest, SecondsAreDividedInExtendedPrecision) {
  IntervalTimer timer = TimerReading({0, 1}, 3);
  timer.Start();
  timer.Stop();
  EXPECT_EQ(timer.ElapsedSeconds(), 1.0 / 3.0);
}

TEST_F(IntervalTimerTest, CounterWithoutRateGivesNaN) {
  IntervalTimer timer = TimerReading({0, 5}, 0);
  timer.Start();
  timer.Stop();
  EXPECT_TRUE(std::isnan(timer.ElapsedSeconds()));
}

}  // namespace
}  // namespace pellarin
