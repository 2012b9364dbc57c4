// libFuzzer target for the uninstall-log parser. A log comes from disk and
// may have been damaged or planted, so every input must either be rejected
// with nothing kept, or be accepted and then serialise back to exactly the
// same bytes (the format has one encoding per log). A broken invariant traps.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "records/uninstall_log.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

void CheckRejected(const UninstallLog& log) {
    Require(log.Records.Records.empty());
    Require(CursorRecord(log.Records) == nullptr);
    Require(log.BaseFolder.empty() && log.Company.empty() && log.Product.empty());
}

// Both cursor walks visit every record exactly once.
void CheckWalks(UninstallLog& log) {
    size_t count = 0;
    for (const ActionRecord* r = MoveLast(log.Records); r; r = MovePrevious(log.Records))
        ++count;
    Require(count == log.Records.Records.size());
    count = 0;
    for (const ActionRecord* r = MoveFirst(log.Records); r; r = MoveNext(log.Records)) {
        Require(r->Size == r->Data.size());
        ++count;
    }
    Require(count == log.Records.Records.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UninstallLog log;
    AppendTextRecord(log.Records, FileRecord, u"stale record that parsing must drop");
    if (!ParseUninstallLog(data, size, log)) {
        CheckRejected(log);
        return 0;
    }
    std::vector<uint8_t> image;
    Require(SerializeUninstallLog(log, &image));
    Require(image.size() == size && std::equal(image.begin(), image.end(), data));
    CheckWalks(log);
    return 0;
}
