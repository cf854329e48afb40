// The splash screen's progress bar as numbers: a range packed into two 16-bit
// halves, a step of one, and a position that starts over from the lower bound
// when a step would pass the upper one.
#pragma once

#include <cstdint>

struct ProgressBarState {
  int lower = 0;
  int upper = 100;
  int position = 0;

  // Each bound keeps only its low 16 bits, as the range travels in one 32-bit
  // value; the position goes back to the start.
  void SetRange(int low, int high) {
    lower = static_cast<int>(static_cast<std::uint32_t>(low) & 0xFFFFu);
    upper = static_cast<int>(static_cast<std::uint32_t>(high) & 0xFFFFu);
    position = lower;
  }
  void Step() {
    ++position;
    if (position > upper) position = lower;
  }
  // How far the bar is filled, 0 to `span`.
  int Filled(int span) const {
    if (upper <= lower) return 0;
    return static_cast<int>(static_cast<std::int64_t>(position - lower) * span / (upper - lower));
  }
};
