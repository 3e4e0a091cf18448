// The halving search of the bank table and the SCL directory, over 1-based
// positions with sentinels below the first and above the last record. It
// halves the step down to 1 and then walks one position at a time until it
// has moved both up and down; this fixes which positions are probed.
#pragma once

namespace zel {

// Compare(pos) tells how the key at pos (a sentinel outside 1..count) stands
// to the key sought: negative below, 0 equal, positive above. Returns the
// position found inside 1..count, or 0.
template <typename CompareAt>
int HalvingSearch(int count, CompareAt Compare) {
  int pos = count / 2;
  int step = pos / 2;
  if (step == 0) step = 1;
  bool up = false, down = false;
  while (!(up && down)) {
    const int c = Compare(pos);
    if (c == 0) return pos >= 1 && pos <= count ? pos : 0;
    if (c < 0) {
      pos += step;
      if (step == 1)
        up = true;
      else
        step /= 2;
    } else {
      pos -= step;
      if (step == 1)
        down = true;
      else
        step /= 2;
    }
  }
  return 0;
}

}  // namespace zel
