#include "records/run_outcome.h"

std::string_view ExitCodeMeaning(ExitCode code, RunKind kind) {
    switch (code) {
        case ExitCode::Success:
            return "success";
        case ExitCode::InvalidCommandLine:
            return "bad command line";
        case ExitCode::UserCancelled:
            return "cancelled or declined";
        case ExitCode::Failed:
            return kind == RunKind::Removal ? "failed; what could not be removed is named above"
                                            : "failed and rolled back";
        case ExitCode::NothingToRemove:
            return "nothing to remove";
        case ExitCode::AnotherRunInProgress:
            return "another installation or removal is running";
        case ExitCode::BadPackage:
            return "the package is missing or damaged";
        case ExitCode::RestartRequired:
            return kind == RunKind::Removal ? "success; files in use are deleted at the next restart"
                                            : "success; files in use are replaced at the next restart";
    }
    return "unknown";
}
