// Names and texts that several parts of the program share: the start-at-logon
// key and its entries, the mixer's window and files, and the caption of every
// message box.
#pragma once

namespace shared {

// HKEY_LOCAL_MACHINE key of the programs Windows starts at logon.
constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// One-shot entry that starts this program with "-ReplaceMixer" at the next
// logon: armed by the driver installation, deleted by the logon run.
constexpr const char* kMixerReplacementValue = "Replace Quarnex Mixer";
// Entry a suite setup that ran earlier may have left behind.
constexpr const char* kSuiteRunValue = "Tonivo Applications";

// Title of the mixer program's main window.
constexpr const char* kMixerWindowTitle = "Mixer";
// In the Windows directory: the mixer program; the new mixer, staged for the
// next logon, and the copy of this program that the logon entry starts
// (Windows 2000 and XP); the copy of the new mixer that Windows Vista and
// later put in place of the mixer when they next start.
constexpr const char* kMixerFile = "Mixer.exe";
constexpr const char* kNewMixerFile = "Mixer.dat";
constexpr const char* kSetupCopyFile = "W2KSetup.exe";
constexpr const char* kMixerAtRestartFile = "Mixer.new";

// Held by the copy of the program that works, so that a second one started
// meanwhile does not change the machine under it.
constexpr const char* kOneSetupAtATimeMutex = "Quarnex W2KSetup is running";

// Caption of every message box the program shows.
constexpr const char* kMessageCaption = "Setup";

// The program's version, as the version resource (res/app.rc) gives it.
constexpr const char* kProgramVersion = "2.0";

// The maker's folder; the copy of this program there removes the driver.
constexpr const char* kMakerFolder = "C:\\Program Files\\Quarnex\\";
constexpr const char* kRemovalProgram = "C:\\Program Files\\Quarnex\\W2KSetup.exe";
// The driver's entry in the list of installed programs (HKEY_LOCAL_MACHINE).
constexpr const char* kUninstallKeyPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnex Audio Driver";
// The maker, as the list of installed programs names it.
constexpr const char* kPublisher = "Quarnex";

}  // namespace shared
