#include "ui/path_compaction.h"

namespace {

constexpr std::u16string_view kEllipsis = u"\\...\\";

}  // namespace

std::u16string CompactPath(std::u16string_view text, int32_t maxWidth, const TextWidthMeasure& measure) {
    if (measure(text) <= maxWidth)
        return std::u16string(text);
    const size_t lastSlash = text.rfind(u'\\');
    if (lastSlash == std::u16string_view::npos)
        return std::u16string(text);
    const std::u16string_view lastComponent = text.substr(lastSlash + 1);
    std::u16string_view prefix = text.substr(0, lastSlash);
    for (;;) {
        const size_t cut = prefix.rfind(u'\\');
        if (cut == std::u16string_view::npos)
            return std::u16string(text);
        prefix = prefix.substr(0, cut);
        if (prefix.size() + kEllipsis.size() + lastComponent.size() > kPathBoxTextUnits)
            continue;
        std::u16string candidate(prefix);
        candidate.append(kEllipsis).append(lastComponent);
        if (measure(candidate) <= maxWidth)
            return candidate;
    }
}
