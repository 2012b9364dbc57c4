#include "records/install_script.h"

#include <algorithm>
#include <cstdio>

#include "records/byte_reader.h"
#include "records/package.h"

namespace {

constexpr uint8_t kMaxCode = kScriptProduct;
constexpr uint8_t kMaxBatchIndex = kBatchUninstallX64;

// Result of one decoding step; Command means "go on".
using Step = ScriptReadStatus;

// Decoding context of one command: the cursor (bounded by ScriptSize and by
// the bytes actually given), where the command began, and the reason slot.
struct CommandReader {
    ByteReader bytes;
    size_t start;
    std::string* reason;
};

Step Fail(CommandReader& r, Step status, const char* what) {
    if (r.reason) {
        char text[160];
        std::snprintf(text, sizeof text, "script command at offset 0x%zx: %s", r.start, what);
        *r.reason = text;
    }
    return status;
}

Step ReadByte(CommandReader& r, uint8_t* out, const char* what) {
    if (!r.bytes.ReadU8(out))
        return Fail(r, Step::Malformed, what);
    return Step::Command;
}

Step ReadText(CommandReader& r, std::u16string* out, const char* what) {
    bool tooLong = false;
    if (r.bytes.ReadString16(kMaxTextUnits, out, &tooLong))
        return Step::Command;
    if (tooLong)
        return Fail(r, Step::Invalid, "a text is longer than 259 units");
    return Fail(r, Step::Malformed, what);
}

// Command 7: the path, then either the command's 0x7F (no description) or an
// introducer byte and the description. Leaves the cursor on the end byte.
Step ReadServiceArguments(CommandReader& r, ScriptCommand* out) {
    Step step = ReadText(r, &out->Path, "service path runs past the script");
    if (step != Step::Command)
        return step;
    uint8_t next = 0;
    if (!r.bytes.PeekU8(&next))
        return Fail(r, Step::Malformed, "service command has no terminator");
    if (next == kScriptTerminator)
        return Step::Command;
    (void)r.bytes.ReadU8(&out->Introducer);
    out->HasText = true;
    return ReadText(r, &out->Text, "service description runs past the script");
}

// Command 8: (index, path) entries separated by 0x7E. Leaves the cursor on the
// first byte after an entry that is not 0x7E, which must be the end byte.
Step ReadBatchArguments(CommandReader& r, ScriptCommand* out) {
    for (;;) {
        DriverBatchEntry entry;
        Step step = ReadByte(r, &entry.Index, "driver batch entry runs past the script");
        if (step != Step::Command)
            return step;
        if (entry.Index > kMaxBatchIndex)
            return Fail(r, Step::Malformed, "driver batch index above 3");
        step = ReadText(r, &entry.Path, "driver batch path runs past the script");
        if (step != Step::Command)
            return step;
        out->Batches.push_back(std::move(entry));
        uint8_t next = 0;
        if (!r.bytes.PeekU8(&next))
            return Fail(r, Step::Malformed, "driver batch command has no terminator");
        if (next != kScriptIntroducer)
            return Step::Command;
        (void)r.bytes.ReadU8(&next);
    }
}

Step ReadPathAndText(CommandReader& r, ScriptCommand* out) {
    Step step = ReadText(r, &out->Path, "path runs past the script");
    if (step != Step::Command)
        return step;
    return ReadText(r, &out->Text, "display name runs past the script");
}

Step ReadLicenseArguments(CommandReader& r, ScriptCommand* out) {
    Step step = ReadByte(r, &out->Language, "licence language runs past the script");
    if (step != Step::Command)
        return step;
    return ReadText(r, &out->Path, "licence path runs past the script");
}

Step ReadArguments(CommandReader& r, ScriptCommand* out) {
    switch (out->Code) {
        case kScriptCompany:
        case kScriptProduct:
            return ReadText(r, &out->Text, "text runs past the script");
        case kScriptProgramsShortcut:
        case kScriptDesktopMenu:
        case kScriptDesktopShortcut:
            return ReadPathAndText(r, out);
        case kScriptService:
            return ReadServiceArguments(r, out);
        case kScriptDriverBatchSet:
            return ReadBatchArguments(r, out);
        case kScriptLicense:
            return ReadLicenseArguments(r, out);
        default:
            return ReadText(r, &out->Path, "path runs past the script");
    }
}

// Reads the code and marker and, after a 0x7E, the arguments and the end byte.
// A command whose arguments are complete is handed out even when its end byte
// is wrong or missing (Unterminated): it still takes effect, and the script
// ends after it.
Step ReadCommandBody(CommandReader& r, ScriptCommand* out) {
    uint8_t marker = 0;
    if (!r.bytes.ReadU8(&out->Code) || !r.bytes.ReadU8(&marker))
        return Fail(r, Step::Malformed, "command runs past the script");
    if (marker != kScriptIntroducer) {
        out->HasArguments = false;
        if (marker != kScriptTerminator)
            return Fail(r, Step::Malformed, "command does not end with 0x7F");
        return Step::Command;
    }
    if (out->Code > kMaxCode)
        return Fail(r, Step::Malformed, "command code above 13");
    Step step = ReadArguments(r, out);
    if (step != Step::Command)
        return step;
    uint8_t end = 0;
    if (!r.bytes.ReadU8(&end))
        return Fail(r, Step::Unterminated, "command has no terminator");
    if (end != kScriptTerminator)
        return Fail(r, Step::Unterminated, "command does not end with 0x7F");
    return Step::Command;
}

}  // namespace

ScriptReadStatus ReadScriptCommand(const uint8_t* script,
                                   size_t size,
                                   size_t* position,
                                   ScriptCommand* out,
                                   std::string* reason) {
    CommandReader r{ByteReader(script, size), *position, reason};
    uint32_t scriptSize = 0;
    if (!r.bytes.ReadU32LE(&scriptSize))
        return Fail(r, Step::Malformed, "script block shorter than its size field");
    if (*position >= scriptSize)
        return Step::End;
    // Bytes past ScriptSize belong to the store, bytes past `size` do not exist.
    r.bytes = ByteReader(script, std::min<size_t>(scriptSize, size));
    if (!r.bytes.Seek(*position))
        return Fail(r, Step::Malformed, "command starts past the script");
    *out = ScriptCommand{};
    Step step = ReadCommandBody(r, out);
    if (step == Step::Command)
        *position = r.bytes.Position();
    return step;
}
