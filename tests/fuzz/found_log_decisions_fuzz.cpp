// libFuzzer target for the decisions taken on a found uninstall log: which
// records are plausible, which a refused folder still lets through, and how
// a recorded command line is split. The input is turned into records (types
// the log knows, texts often rooted in the log's own folder so that the
// deeper checks are reached) rather than into log bytes, which the log
// reader's own target covers. A broken invariant traps.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "records/uninstall_log.h"
#include "removal/found_log_trust.h"
#include "removal/logged_files.h"
#include "removal/uninstall_plausibility.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

constexpr uint8_t kTypes[] = {FileRecord,
                              RegistryKeyRecord,
                              DriverUninstallRecord,
                              ServiceRecord,
                              DesktopShortcutRecord,
                              ProgramsShortcutRecord,
                              DesktopMenuRecord,
                              SystemFileRecord,
                              ServiceStartedRecord,
                              DirectoryRecord,
                              UninstallEntryRecord,
                              RunEntryRecord,
                              MachineRunEntryRecord,
                              PendingReplaceRecord};

std::u16string Text(FuzzedDataProvider& input) {
    const std::string bytes = input.ConsumeRandomLengthString(96);
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    if (bytes.size() % 2)
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes.back()));
    return text;
}

// A text below one of the places a record may touch, or anywhere.
std::u16string PathText(FuzzedDataProvider& input, const RemovalPlaces& places) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return places.InstallFolder + u"\\" + Text(input);
        case 1:
            return places.SystemFolder + u"\\" + Text(input);
        case 2:
            return places.ShortcutFolders[0] + u"\\" + Text(input);
        default:
            return Text(input);
    }
}

void AppendFuzzedRecord(FuzzedDataProvider& input, UninstallLog& log, const RemovalPlaces& places) {
    const uint8_t type = input.PickValueInArray(kTypes);
    if (type == PendingReplaceRecord) {
        const std::vector<uint8_t> data = PendingReplaceRecordData(PathText(input, places), PathText(input, places));
        AppendRecord(log.Records, type, data.data(), static_cast<uint32_t>(data.size()));
    } else if (type == RegistryKeyRecord) {
        const std::vector<uint8_t> text = TextRecordData(Text(input));
        std::vector<uint8_t> data(4);
        const uint32_t root = input.ConsumeIntegral<uint32_t>();
        for (int i = 0; i < 4; ++i)
            data[i] = static_cast<uint8_t>(root >> (8 * i));
        data.insert(data.end(), text.begin(), text.end());
        AppendRecord(log.Records, type, data.data(), static_cast<uint32_t>(data.size()));
    } else {
        std::u16string text = PathText(input, places);
        if ((type == ServiceRecord || type == RunEntryRecord || type == MachineRunEntryRecord) && input.ConsumeBool())
            text = u"\"" + text + u"\"" + Text(input);
        AppendTextRecord(log.Records, type, text);
    }
}

void CheckRecord(const ActionRecord& record,
                 const UninstallLog& log,
                 const LoggedFiles& files,
                 const RemovalPlaces& places) {
    if (!IsPlausibleRecord(record, log, places))
        return;
    Require(record.Type != ServiceStartedRecord);
    const FoundRecordVerdict trusted = JudgeFoundRecord(record, true, files, places);
    const FoundRecordVerdict refused = JudgeFoundRecord(record, false, files, places);
    // A refused folder never lets through more than a trusted one does.
    if (trusted != FoundRecordVerdict::MayUndo)
        Require(refused != FoundRecordVerdict::MayUndo);
    if (trusted == FoundRecordVerdict::BatchNotRecorded)
        Require(record.Type == DriverUninstallRecord);
    // From a refused folder only what the machine proves elsewhere is undone.
    if (refused == FoundRecordVerdict::MayUndo)
        Require(IsProvenOutsideTheFolder(record, places) || IsEmptyBatchRecord(record));
}

void CheckCommandSplit(const std::u16string& command, const RemovalPlaces& places) {
    const std::optional<std::u16string> program = CommandProgram(command);
    if (program)
        Require(command.find(*program) != std::u16string::npos);
    Require(WithoutProgramQuotes(command).size() <= command.size());
    // A quoted command is judged by its program alone: text after the quotes
    // never makes a program outside the folder pass for one inside it.
    if (!command.empty() && command.front() == u'"' && IsCommandOfProgramInside(command, places.InstallFolder))
        Require(program && IsPathInside(*program, places.InstallFolder));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    UninstallLog log;
    log.BaseFolder = input.ConsumeBool() ? u"C:\\Program Files" : Text(input);
    log.Company = input.ConsumeBool() ? u"Zorvanelle" : Text(input);
    log.Product = input.ConsumeBool() ? u"ZorvanelleV7" : Text(input);
    RemovalPlaces places;
    places.InstallFolder = log.BaseFolder + u"\\" + log.Company + u"\\" + log.Product;
    places.SystemFolder = u"C:\\windows\\system32";
    places.ShortcutFolders = {u"C:\\users\\u\\Desktop", u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"};
    const int count = input.ConsumeIntegralInRange<int>(0, 24);
    for (int i = 0; i < count && input.remaining_bytes() > 0; ++i)
        AppendFuzzedRecord(input, log, places);
    const LoggedFiles files = IndexLoggedFiles(log, places.InstallFolder, nullptr);
    for (const ActionRecord& record : log.Records.Records) {
        CheckRecord(record, log, files, places);
        CheckCommandSplit(RecordText(record), places);
    }
    return 0;
}
