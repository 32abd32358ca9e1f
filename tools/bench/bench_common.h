// What the benchmark's measurements share: the clock, the summary of a set of trials, and the
// pauses that keep one trial from paying for the last.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

#include "harness/win32_harness.h"

namespace stackle::bench {

inline double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

// The minimum is the figure another load on the machine disturbs least.
struct Stats {
  double median = 0, p25 = 0, p75 = 0, min = 0;
  std::vector<double> samples;
};

inline Stats Summarize(std::vector<double> samples) {
  Stats s;
  s.samples = samples;
  if (samples.empty()) return s;
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) {
    const double pos = q * static_cast<double>(samples.size() - 1);
    const auto lo = static_cast<std::size_t>(pos);
    const std::size_t hi = std::min(lo + 1, samples.size() - 1);
    return samples[lo] + (samples[hi] - samples[lo]) * (pos - static_cast<double>(lo));
  };
  s.min = samples.front();
  s.median = at(0.5);
  s.p25 = at(0.25);
  s.p75 = at(0.75);
  return s;
}

inline double Ratio(double a, double b) {
  return b > 0 ? a / b : 0;
}

// Waits until `window` has handled what was sent to it before.
inline void Flush(HWND window) {
  DWORD_PTR ignored;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
}

// Lets both sides paint, and the shell catch up with Stackle's caption, between trials, so
// that no trial pays for the last one.
inline void Settle(HWND dialog) {
  harness::Rest(20);
  Flush(dialog);
}

}  // namespace stackle::bench
