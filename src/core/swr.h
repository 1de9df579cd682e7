#pragma once

namespace tarvex {

// What an SWR figure reads at full reflection or worse: the meter's end stop.
inline constexpr double kSwrMax = 10.0;

// The standing-wave ratio from forward and reflected power (any one unit): 1 with no forward
// or no reflected power, at most kSwrMax. Every figure Tarvex shows or serves comes from here.
double swr(double forward, double reflected);

} // namespace tarvex
