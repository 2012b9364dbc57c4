// Shortening a path for the path box: the first part and the last component
// stay, the folders between them give way to "\...\" until the text fits.
// Portable: the caller supplies the text measurer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Width in pixels of `text` as it will be drawn.
using TextWidthMeasure = std::function<int32_t(std::u16string_view text)>;

// Longest text the path box holds (its field has 260 units with the terminator).
inline constexpr size_t kPathBoxTextUnits = 259;

// The text the path box shows for `text` in `maxWidth` pixels:
// - `text` itself when measure(text) <= maxWidth;
// - otherwise the first candidate that fits, dropping one folder at a time
//   from the end of the prefix: for "D:\P\A\B\L" the candidates are
//   "D:\P\A\...\L", "D:\P\...\L" and "D:\...\L", in that order;
// - `text` itself when none fits, or when it has fewer than two backslashes.
// A candidate longer than kPathBoxTextUnits is skipped, so the result never
// exceeds the box's field when `text` does not. Cannot fail.
std::u16string CompactPath(std::u16string_view text, int32_t maxWidth, const TextWidthMeasure& measure);
