// Does nothing but sleep one supervisor period at a time, for a given number
// of seconds or until SIGTERM. Its CPU time is what merely waking 40 times a
// second costs on this machine: the floor the bridge's idle CPU is compared
// with. On the way out it prints how long its 25 ms sleeps really lasted,
// which tells how late this machine wakes a sleeping process:
//   sleeps n=1200 median_ms=25.07 p99_ms=26.10 max_ms=31.52

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {
std::atomic<bool> stop{false};
void Stop(int) { stop = true; }
}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGTERM, Stop);
  std::signal(SIGINT, Stop);
  using Clock = std::chrono::steady_clock;
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0;
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  std::vector<double> periods;
  periods.reserve(1 << 16);
  while (!stop && (seconds <= 0 || Clock::now() < end)) {
    const auto before = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (periods.size() < periods.capacity()) {
      periods.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    }
  }
  if (periods.empty()) return 0;
  std::sort(periods.begin(), periods.end());
  const auto at = [&](double q) { return periods[static_cast<std::size_t>(q * (periods.size() - 1))]; };
  std::printf("sleeps n=%zu median_ms=%.2f p99_ms=%.2f max_ms=%.2f\n", periods.size(), at(0.5), at(0.99),
              periods.back());
  return 0;
}
