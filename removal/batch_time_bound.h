// The time a found log's driver uninstall batches may take: each one a
// limit of its own, and all of them together a limit, so that a log naming
// many slow batches cannot hold the installer or the uninstaller for hours.
// Portable, with the clock handed in, so that a test can spend the time
// without waiting for it.
#pragma once

#include <cstdint>
#include <optional>

// Milliseconds from any fixed start, never going back (GetTickCount64).
using MillisecondClock = uint64_t (*)();

struct BatchTimeBound {
    MillisecondClock Now = nullptr;
    uint32_t PerBatchMs = 0;  // one batch
    uint64_t TotalMs = 0;     // every batch of the log together
    uint64_t SpentMs = 0;     // what the batches run so far took
};

// The limit for the next batch: PerBatchMs, or what is left of TotalMs when
// that is less; none once TotalMs is spent (the removal then stops).
std::optional<uint32_t> NextBatchLimit(const BatchTimeBound& bound);

// Runs `run(limit)` with NextBatchLimit as its limit and adds the time it
// took, by the bound's clock, to SpentMs. False, and `run` not called, when
// the total is spent.
template <typename Run>
bool RunWithinBound(BatchTimeBound& bound, Run&& run) {
    const std::optional<uint32_t> limit = NextBatchLimit(bound);
    if (!limit)
        return false;
    const uint64_t start = bound.Now();
    run(*limit);
    bound.SpentMs += bound.Now() - start;
    return true;
}
