#include "removal/record_undo_win.h"

#include <windows.h>

#include "platform/shell_entries_win.h"
#include "platform/shortcut_win.h"
#include "platform/text_win.h"
#include "removal/product_key_win.h"

void RemoveRecordedDirectories(const ActionRecordList& records) {
    for (auto record = records.Records.rbegin(); record != records.Records.rend(); ++record) {
        if (record->Type == DirectoryRecord)
            RemoveDirectoryW(WidePtr(RecordText(*record)));
    }
}

bool UndoEntryRecord(const ActionRecord& record) {
    switch (record.Type) {
        case RegistryKeyRecord:
            DeleteKeyOfRecord(record.Data.data(), record.Data.size());
            return true;
        case DesktopShortcutRecord:
        case ProgramsShortcutRecord:
            DeleteShortcut(RecordText(record));
            return true;
        case DesktopMenuRecord:
            RemoveDesktopMenuEntry(RecordText(record));
            return true;
        case SystemFileRecord:
            DeleteFileW(WidePtr(RecordText(record)));
            return true;
        case DirectoryRecord:
            RemoveDirectoryW(WidePtr(RecordText(record)));
            return true;
        case UninstallEntryRecord:
            RemoveUninstallEntry(RecordText(record));
            return true;
        case RunEntryRecord:
            RemoveRunEntry(RecordText(record));
            return true;
        default:
            return false;
    }
}
