// Which account a security identifier names, decided on the SID's bytes as
// Windows stores them, so that the decision is built and judged without a
// token to read (the Windows layer reads the token: signed_in_user_win.h).
#pragma once

#include <cstddef>
#include <cstdint>

// True when the `size` bytes at `sid` are exactly the LocalSystem SID
// S-1-5-18: revision 1, one subauthority, the NT authority (5) and the
// subauthority 18. False for every other account (LocalService S-1-5-19,
// NetworkService S-1-5-20, any user or group), for a null pointer and for
// bytes that are not one whole SID.
bool IsLocalSystemSid(const uint8_t* sid, size_t size);
