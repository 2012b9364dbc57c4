#include "ui/status_text.h"

#include <cstring>

#include "engine/progress.h"

std::u16string ReadReportText(const void* data, uint32_t cbData) {
    std::u16string text;
    if (!data)
        return text;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const size_t units = cbData / 2;
    for (size_t i = 0; i < units; ++i) {
        char16_t unit;
        std::memcpy(&unit, bytes + 2 * i, sizeof(unit));  // the data need not be aligned
        if (unit == u'\0')
            break;
        text.push_back(unit);
    }
    return text;
}

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xd800 && unit <= 0xdbff;
}

// Cuts to the field, dropping a high surrogate left without its partner.
void CutToField(std::u16string& text) {
    if (text.size() <= kStatusTextUnits)
        return;
    text.resize(kStatusTextUnits);
    if (IsHighSurrogate(text.back()))
        text.pop_back();
}

std::u16string SlotOrEmpty(const LanguageTable& table, LanguageSlot slot) {
    const std::optional<std::u16string>& text = SlotText(table, slot);
    return text ? *text : std::u16string();
}

ReportReaction Status(std::u16string text) {
    CutToField(text);
    return {ReportReactionKind::ShowStatus, std::move(text), {}};
}

ReportReaction StatusWithDetail(const LanguageTable& table, LanguageSlot slot, std::u16string_view detail) {
    return Status(ComposeStatusText(SlotOrEmpty(table, slot), u"\r\n", detail));
}

ReportReaction Box(const LanguageTable& table, LanguageSlot caption, std::u16string_view detail) {
    return {ReportReactionKind::MessageBox, std::u16string(detail), SlotOrEmpty(table, caption)};
}

}  // namespace

std::u16string ComposeStatusText(std::u16string_view first, std::u16string_view separator, std::u16string_view second) {
    std::u16string text;
    text.reserve(first.size() + separator.size() + second.size());
    text.append(first).append(separator).append(second);
    CutToField(text);
    return text;
}

ReportReaction ReactionToReport(uint32_t code, std::u16string_view detail, const LanguageTable& table) {
    switch (static_cast<ProgressCode>(code)) {
        case ProgressCode::CopyingFile:
            return StatusWithDetail(table, LanguageSlot::StatusCopyingFile, detail);
        case ProgressCode::DeletingFile:
            return StatusWithDetail(table, LanguageSlot::StatusDeletingFile, detail);
        case ProgressCode::InstallingDrivers:
            return StatusWithDetail(table, LanguageSlot::StatusInstallingDrivers, detail);
        case ProgressCode::InstallingService:
            return Status(
                ComposeStatusText(SlotOrEmpty(table, LanguageSlot::StatusInstallingService), u" \r\n", detail));
        case ProgressCode::UninstallingDriver:
            return StatusWithDetail(table, LanguageSlot::StatusUninstallingDriver, detail);
        case ProgressCode::RemovingService:
            return StatusWithDetail(table, LanguageSlot::StatusUninstallingService, detail);
        case ProgressCode::FileCreateFailed:
            return Box(table, LanguageSlot::ErrorCreatingFiles, detail);
        case ProgressCode::ServiceCreateFailed:
            return Box(table, LanguageSlot::ErrorInstallingService, detail);
        case ProgressCode::RolledBack:
            return Status(SlotOrEmpty(table, LanguageSlot::StatusCancelled));
        case ProgressCode::Completed:
            return Status(SlotOrEmpty(table, LanguageSlot::StatusComplete));
        case ProgressCode::StartingService:
            return StatusWithDetail(table, LanguageSlot::StatusConfiguringService, detail);
        case ProgressCode::StoppingService:
            return StatusWithDetail(table, LanguageSlot::StatusStoppingService, detail);
        case ProgressCode::WorkerFinished:
            return {ReportReactionKind::Finish, {}, {}};
        case ProgressCode::PreviousVersionFound:
            return StatusWithDetail(table, LanguageSlot::StatusPreviousVersion, detail);
        default:
            return {};
    }
}
