// Portable conversions between UTF-8 (command lines, host file names, test
// output) and the UTF-16 texts the engine holds.
#pragma once

#include <string>
#include <string_view>

// Decodes UTF-8 into UTF-16. Each malformed sequence (a stray continuation
// byte, a truncated or overlong sequence, an encoded surrogate, a value above
// U+10FFFF) becomes one U+FFFD; the conversion itself never fails.
std::u16string Utf8ToUtf16(std::string_view text);

// Encodes UTF-16 as UTF-8. An unpaired surrogate becomes U+FFFD; the
// conversion itself never fails.
std::string Utf16ToUtf8(std::u16string_view text);
