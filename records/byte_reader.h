// Bounds-checked little-endian cursor over a borrowed byte range.
//
// Every read checks the remaining length first; a read that would run past
// the end fails (returns false) and leaves the cursor where it was. Nothing
// ever reads a byte outside [data, data + size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    const uint8_t* Data() const { return data_; }
    size_t Position() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }

    // Moves to an absolute position; false (cursor unchanged) past the end.
    [[nodiscard]] bool Seek(size_t position) {
        if (position > size_)
            return false;
        pos_ = position;
        return true;
    }

    [[nodiscard]] bool ReadU8(uint8_t* out) {
        if (Remaining() < 1)
            return false;
        *out = data_[pos_++];
        return true;
    }

    [[nodiscard]] bool PeekU8(uint8_t* out) const {
        if (Remaining() < 1)
            return false;
        *out = data_[pos_];
        return true;
    }

    [[nodiscard]] bool ReadU16LE(uint16_t* out) {
        if (Remaining() < 2)
            return false;
        *out = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }

    [[nodiscard]] bool ReadU32LE(uint32_t* out) {
        if (Remaining() < 4)
            return false;
        *out = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
               (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return true;
    }

    [[nodiscard]] bool ReadI32LE(int32_t* out) {
        uint32_t value = 0;
        if (!ReadU32LE(&value))
            return false;
        *out = static_cast<int32_t>(value);
        return true;
    }

    // Borrows `count` bytes at the cursor and advances past them.
    [[nodiscard]] bool ReadBytes(size_t count, const uint8_t** out) {
        if (Remaining() < count)
            return false;
        *out = data_ + pos_;
        pos_ += count;
        return true;
    }

    // Reads a NUL-terminated UTF-16LE string of at most `maxUnits` code units
    // (terminator not counted). Fails when the terminator is missing before
    // the end of the range or the text is longer than maxUnits; `*tooLong`
    // (optional) tells the two apart. On failure the cursor is unchanged.
    [[nodiscard]] bool ReadString16(size_t maxUnits, std::u16string* out, bool* tooLong = nullptr) {
        if (tooLong)
            *tooLong = false;
        std::u16string text;
        for (size_t p = pos_; size_ - p >= 2; p += 2) {
            char16_t unit = static_cast<char16_t>(data_[p] | (data_[p + 1] << 8));
            if (unit == 0) {
                *out = std::move(text);
                pos_ = p + 2;
                return true;
            }
            if (text.size() == maxUnits) {
                if (tooLong)
                    *tooLong = true;
                return false;
            }
            text.push_back(unit);
        }
        return false;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
