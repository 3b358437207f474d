// A machine prepared for driver installations: a driver disc in D:, a web
// package in a download folder, the Run key, and a restart prompt answered
// "later", plus helpers to run the installation as each caller does.
#pragma once

#include <ostream>
#include <source_location>
#include <string>
#include <vector>

#include "driver/InstallDriverPackage.h"
#include "fake/FakeMachine.h"

namespace driver_test {

constexpr const char* kDisc = "D:\\";
constexpr const char* kWebPackage = "C:\\Download\\Web\\";
constexpr const char* kStaging = "C:\\Program Files\\Quarnex\\WIN_ME\\";
constexpr const char* kDos = "C:\\Program Files\\Quarnex\\DOS\\";
constexpr const char* kDosApp = "C:\\Program Files\\Quarnex\\DOS\\DOSAPP\\";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Replace Quarnex Mixer";
constexpr const char* kNotice =
    "The driver will be installed now. It need a few minutes to complete.";

// Files of a driver package folder; disc files are read-only.
void AddDriverPackage(fake::FakeMachine& machine, const std::string& folder,
                      uint32_t attributes = 0x01);
// The disc: "W2K-ME\drv\", "WIN_ME\drv\" (marked apart by the INF text),
// "Dosdrv\" and "Dosdrv\DOSAPP\", each with a subfolder that is not copied.
void AddDisc(fake::FakeMachine& machine);
// A web package: the driver package beside the setup program.
void AddWebPackage(fake::FakeMachine& machine);
// Scripts the restart prompt's next run: "later", then OK. The fake reports a
// script that does not fit (or never runs) at the caller's line.
void AnswerRestartLater(fake::FakeMachine& machine,
                        std::source_location where = std::source_location::current());
// Run key and INF folders.
void PrepareSystem(fake::FakeMachine& machine);
// Run key, INF folders, and the restart prompt answered "later".
void PrepareMachine(fake::FakeMachine& machine,
                    std::source_location where = std::source_location::current());

// Runs the installation as the start routine does (no owner); returns its
// exit code.
int RunFromStartRoutine(fake::FakeMachine& machine, const DriverInstallOptions& options,
                        const std::string& programDirectory);
// Runs it from inside a dialog of the given template, as its OK handler
// does, and ends the dialog afterwards. Returns the dialog's window.
platform::Hwnd RunFromDialog(fake::FakeMachine& machine, int templateId,
                             const DriverInstallOptions& options,
                             const std::string& programDirectory, InfPatcher* patcher = nullptr);

// A machine on which every field of a driver installation record shows: the
// mixer and "TuneStack" running, "mixerdef.ini" present, a disc layout and a
// flat package (distinguished by content) both below programDirectory, each
// with an INF whose JackConfig line shows a patch unless it picks 0x05. The
// restart prompt is left to the caller (AnswerRestartLater for a run that installs).
void PrepareRecordObservation(fake::FakeMachine& machine, const std::string& programDirectory);
// The record an installation on such a machine ran with, read back from what
// it did, and whether the INF it handed over carries a patch (*infPatched,
// when given). owner is the calling dialog's window, 0 for the start routine.
// A run without an installation fails at the caller's line.
DriverInstallOptions ObservedRecord(fake::FakeMachine& machine, platform::Hwnd owner,
                                    bool* infPatched = nullptr,
                                    std::source_location where = std::source_location::current());

// What of an installed driver is on the machine, as a user would look for
// it: the files and folders of the installation, its INF, its logon entry,
// its entry in the list of installed programs and a present controller.
std::vector<std::string> DriverLeft(const fake::FakeMachine& machine);

// Order checks on the journal, reported at the calling line.
using fake::ExpectInOrder;
bool JournalHas(const fake::Journal& journal, const std::string& prefix);

}  // namespace driver_test

void PrintTo(const DriverInstallOptions& options, std::ostream* out);
