#ifndef PELLARIN_INTERVAL_TIMER_H_
#define PELLARIN_INTERVAL_TIMER_H_

#include <cstdint>

namespace pellarin {

// A stopwatch over a tick counter.  It keeps whole ticks and turns them into
// seconds only when asked, so reading it inside a measurement costs one
// counter read.
class IntervalTimer {
 public:
  // The counter behind the timer: its current value and its rate in ticks per
  // second.  The program binds the platform's performance counter; tests bind
  // a counter they script.
  struct Counter {
    int64_t (*count)();
    int64_t (*frequency)();
  };

  // Reads the rate once; the counter itself is not read.
  explicit IntervalTimer(Counter source);
  virtual ~IntervalTimer();

  IntervalTimer(const IntervalTimer&) = delete;
  IntervalTimer& operator=(const IntervalTimer&) = delete;

  // Clears the total, then reads the counter as its last action.
  void Start();
  // Reads the counter as its first action and adds the ticks since the last
  // Start or Stop; returns the new total.
  int64_t Stop();
  // The total in seconds.  A rate of zero means there is no counter to speak
  // of: the result is then NaN rather than a division by zero.
  double ElapsedSeconds() const;

 private:
  int64_t lastCount_ = 0;
  int64_t currentCount_ = 0;
  int64_t accumulatedTicks_ = 0;
  int64_t frequency_;
  Counter counter_;
};

}  // namespace pellarin

#endif  // PELLARIN_INTERVAL_TIMER_H_
