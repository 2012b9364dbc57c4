#include "engine/report_sink.h"

#include <string>

#include "platform/run_log.h"
#include "platform/text.h"

namespace {

ReportOutcome LogReport(const InstallOptions&, const ReportRule& rule, std::u16string_view text) {
    if (!IsRunLogOpen())
        return {};
    std::u16string line = Utf8ToUtf16(ProgressCodeName(rule.Code));
    if (rule.CarriesText && !text.empty())
        line += u" " + std::u16string(text);
    const bool failure = rule.Code == ProgressCode::FileCreateFailed || rule.Code == ProgressCode::ServiceCreateFailed;
    WriteLogLine(failure ? "error" : "report", line);
    return {};
}

void NeverWait(const InstallOptions&, uint32_t) {}

constexpr ReportSink kLogSink{LogReport, NeverWait};

}  // namespace

const ReportSink& LogReportSink() {
    return kLogSink;
}

const ReportSink& SinkOf(const InstallOptions& options) {
    return options.Reports ? *options.Reports : kLogSink;
}
