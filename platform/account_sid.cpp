#include "platform/account_sid.h"

#include <algorithm>

namespace {

// Revision, subauthority count, the six-byte big-endian identifier authority
// (NT authority), then each subauthority as a little-endian u32.
constexpr uint8_t kLocalSystemSid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

}  // namespace

bool IsLocalSystemSid(const uint8_t* sid, size_t size) {
    return sid && size == sizeof(kLocalSystemSid) && std::equal(sid, sid + size, kLocalSystemSid);
}
