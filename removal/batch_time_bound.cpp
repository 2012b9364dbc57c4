#include "removal/batch_time_bound.h"

std::optional<uint32_t> NextBatchLimit(const BatchTimeBound& bound) {
    if (bound.SpentMs >= bound.TotalMs)
        return std::nullopt;
    const uint64_t left = bound.TotalMs - bound.SpentMs;
    return left < bound.PerBatchMs ? static_cast<uint32_t>(left) : bound.PerBatchMs;
}
