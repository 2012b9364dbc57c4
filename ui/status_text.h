// What the window does with each of the worker's reports (WM_COPYDATA with a
// ProgressCode as dwData and a UTF-16 text as data): the status line it
// shows, the message box it opens, or the finish. Portable: the dialog hands
// in the raw report and carries out the reaction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/language_table.h"

// The status field holds 260 units, terminator included.
inline constexpr size_t kStatusTextUnits = 259;

enum class ReportReactionKind {
    Ignore,      // unknown code: answer 0 and do nothing
    ShowStatus,  // ShowStatus(Text)
    MessageBox,  // modal box owned by the dialog: message Text, caption Caption, OK only
    Finish,      // WorkerFinished: arm the close timer when no timer is pending
};

struct ReportReaction {
    ReportReactionKind Kind = ReportReactionKind::Ignore;
    std::u16string Text;     // ShowStatus: at most kStatusTextUnits units; MessageBox: the detail text
    std::u16string Caption;  // MessageBox only
};

// The report's detail text, read only within its `cbData` bytes: the units up
// to the first zero unit, or all cbData / 2 units when none is zero (an odd
// last byte is ignored). A null `data` or cbData < 2 gives an empty text.
std::u16string ReadReportText(const void* data, uint32_t cbData);

// Joins `first` and `second` with `separator` ("\r\n", or " \r\n" for the
// service report) and cuts the result to kStatusTextUnits units, never in the
// middle of a surrogate pair.
std::u16string ComposeStatusText(std::u16string_view first, std::u16string_view separator, std::u16string_view second);

// The reaction to report `code` with detail text `detail`, the texts taken
// from `table` as it is now (an empty slot counts as an empty text):
//   0, 1, 3, 5, 6, 16, 17, 23: status "<slot>\r\n<detail>";
//   4: status "<slot> \r\n<detail>";
//   14, 15: status StatusCancelled / StatusComplete alone;
//   11, 13: message box with the detail text, captioned ErrorCreatingFiles /
//           ErrorInstallingService;
//   18: Finish; any other code: Ignore.
ReportReaction ReactionToReport(uint32_t code, std::u16string_view detail, const LanguageTable& table);
