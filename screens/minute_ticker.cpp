#include "screens/minute_ticker.h"

#include <chrono>

#include "platform/clock/clock.h"
#include "platform/ui/desktop.h"

namespace terravue {

MinuteTicker::~MinuteTicker() { Stop(); }

void MinuteTicker::Start(const tv::ui::Window& owner, std::function<void()> tick) {
  Stop();
  owner_ = &owner;
  tick_ = std::move(tick);
  Arm();
}

void MinuteTicker::Stop() {
  if (timer_ != 0 && tv::ui::Desktop::Exists()) tv::ui::Desktop::Get().StopTimer(timer_);
  timer_ = 0;
}

void MinuteTicker::Arm() {
  if (!tv::ui::Desktop::Exists()) return;
  using std::chrono::milliseconds;
  constexpr milliseconds kMinute{60000};
  const auto since_epoch = std::chrono::duration_cast<milliseconds>(
      tv::clock::Now().time_since_epoch());
  const milliseconds into_minute{((since_epoch % kMinute) + kMinute) % kMinute};
  // Each tick sets the next one from the clock again, so that the ticks stay
  // on the change of the minute however the timers' clock drifts from it.
  timer_ = tv::ui::Desktop::Get().StartTimer(owner_, kMinute - into_minute, kMinute, [this] {
    tv::ui::Desktop::Get().StopTimer(timer_);
    timer_ = 0;
    tick_();
    Arm();
  });
}

}  // namespace terravue
