// The install sequence: the body of the installation's worker thread.
//
// One call is one run on the state: it removes an earlier installation,
// writes every package file below BaseFolder\Company\Product, records the
// product in the registry, runs the driver batches for this machine's
// processor, creates the services, shortcuts, context-menu entries,
// system-folder files, the Add/Remove Programs entry and the logon Run
// entries, recording each action in an uninstall log as it is done. When
// Running is still set at the end it finishes (panel configuration, service
// starts, saving the log, launches); otherwise - a package file or a service
// that could not be created, or a stop request - it undoes every recorded
// action, newest first. Either way its last report is WorkerFinished.
//
// Reports and pauses follow the report table and go to the sink the options
// name (see SendReport and report_sink.h); the sequence itself never waits to
// pace the run. Running is read between steps; the sequence clears it itself
// after a failed file or service creation and never sets it. A state without
// a tree, Company or Product ends at once with WorkerFinished, touching
// nothing.
#pragma once

#include "records/installer_state.h"

// Runs one installation on `state`; pass it to StartInstallWorker.
void InstallWorker(InstallerState& state);
