// Runs the install sequence for real on the worker thread, the way the
// window does: a hidden window on the test's thread receives every report
// (answering the failure reports at once), can ask the worker to stop when a
// chosen report arrives, and the run ends with WorkerFinished.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/progress.h"
#include "records/installer_state.h"
#include "tests/support/package_paths.h"
#include "tools/package_writer.h"

struct ReceivedReport {
    ProgressCode Code;
    DWORD Size = 0;  // cbData
    std::u16string Text;
};

// Ask the worker to stop (as the window's close button does) while handling
// the `Occurrence`-th report with `Code`.
struct StopAt {
    ProgressCode Code;
    int Occurrence = 1;
};

class SequenceHarness {
  public:
    SequenceHarness();
    ~SequenceHarness();
    SequenceHarness(const SequenceHarness&) = delete;
    SequenceHarness& operator=(const SequenceHarness&) = delete;

    // A fresh state loaded from `package`; false when LoadPackage refuses it.
    bool Load(const std::vector<uint8_t>& package);
    InstallerState& State() { return *state_; }
    HWND Window() const { return window_; }

    // Starts the worker with `options` (OwnerWindow is this harness's window
    // unless `withWindow` is false) and handles reports until WorkerFinished
    // and the worker thread has returned. False when that did not happen
    // within `limitMs` (or, without a window, the thread did not end).
    bool Run(InstallOptions options,
             std::optional<StopAt> stop = std::nullopt,
             bool withWindow = true,
             DWORD limitMs = 240000);

    const std::vector<ReceivedReport>& Reports() const { return reports_; }
    std::vector<ProgressCode> Codes() const;
    int CountOf(ProgressCode code) const;
    std::vector<std::u16string> TextsOf(ProgressCode code) const;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnReport(const COPYDATASTRUCT& data);
    bool WaitForWorkerThread(DWORD limitMs);

    HWND window_ = nullptr;
    std::shared_ptr<InstallerState> state_;
    std::vector<ReceivedReport> reports_;
    std::optional<StopAt> stop_;
    bool finished_ = false;
    void* workerThread_ = nullptr;  // borrowed from the state while a run lasts
};

// The demo package the installer ships, read from the build tree.
std::vector<uint8_t> DemoPackage();

// A package from script commands and a store layout (see shipped_package.h
// for the command builders).
std::vector<uint8_t> BuildPackage(const std::vector<ScriptCommand>& commands, const StoreFolder& root);

// Options of an unattended run into `baseFolder` (English, panel hidden).
InstallOptions UnattendedOptions(const std::u16string& baseFolder);
