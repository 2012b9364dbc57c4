#include "records/key_record.h"

namespace {

constexpr size_t kRootBytes = 4;

void AppendUnitLE(std::vector<uint8_t>& out, char16_t unit) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
}

char16_t UnitLE(const uint8_t* at) {
    return static_cast<char16_t>(at[0] | (at[1] << 8));
}

}  // namespace

std::vector<uint8_t> EncodeKeyRecord(uint32_t rootValue, std::u16string_view path) {
    if (path.size() > kMaxKeyRecordPathUnits || path.find(u'\0') != std::u16string_view::npos)
        return {};
    std::vector<uint8_t> out;
    out.reserve(kRootBytes + (path.size() + 1) * 2);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(rootValue >> shift));
    for (char16_t unit : path)
        AppendUnitLE(out, unit);
    AppendUnitLE(out, u'\0');
    return out;
}

std::optional<KeyRecord> DecodeKeyRecord(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size < kRootBytes + 2)
        return std::nullopt;
    KeyRecord record;
    record.RootValue = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                       static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    // An odd last byte cannot start a unit and is never read.
    for (size_t at = kRootBytes; at + 2 <= size; at += 2) {
        char16_t unit = UnitLE(bytes + at);
        if (unit == u'\0')
            return record;
        if (record.Path.size() == kMaxKeyRecordPathUnits)
            return std::nullopt;
        record.Path.push_back(unit);
    }
    return std::nullopt;
}
