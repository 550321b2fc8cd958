// Counts the bytes the program holds through operator new, so that the peak a
// call needs on top of what was there before can be measured. The benchmark
// binary replaces the global operator new and delete to do this.
#pragma once

#include <cstddef>

namespace heap {

// Bytes requested through operator new and not yet deleted.
size_t LiveBytes();

// Runs fn and returns the highest number of live bytes seen during the call,
// less the live bytes at its start: what the call needed on top of its input
// and everything else that already existed, its result included when fn keeps
// the result alive until it returns.
template <typename Fn>
size_t PeakAbove(Fn&& fn);

void ResetPeak();
size_t PeakBytes();

template <typename Fn>
size_t PeakAbove(Fn&& fn) {
    const size_t before = LiveBytes();
    ResetPeak();
    fn();
    return PeakBytes() - before;
}

} // namespace heap
