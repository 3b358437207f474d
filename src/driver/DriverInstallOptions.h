// What tells the four callers of the driver installation apart: one fixed
// record per caller, each field named where the record is written.
#pragma once

enum class NoticeOwner { None, CallingDialog };
enum class WindowsToClose { None, Mixer, SuitePrograms };
enum class SourceLayout { Disc, Flat };

struct DriverInstallOptions {
  NoticeOwner noticeOwner;         // who owns the notice box
  bool hideOwner;                  // hide the calling dialog once the notice is dismissed
  WindowsToClose windowsToClose;   // programs asked to close before the staging
  bool waitCursorDuringClosing;    // the wait cursor goes up before the programs are closed
  SourceLayout sourceLayout;       // "W2K-ME\drv\" / "WIN_ME\drv\", or beside the program
  bool writeMixerDefaults;         // "mixerdef.ini" [RUNTIME] Initialize=0
  bool stageDosFiles;              // "Dosdrv\" and "Dosdrv\DOSAPP\"
  bool stageMixerReplacement;      // "Mixer.dat", "W2KSetup.exe" and the logon Run value
  bool baselineBeforeReenumerate;  // mixer count read before the device tree is re-enumerated

  bool operator==(const DriverInstallOptions&) const = default;
};

// The start routine in driver-only mode ("/DRIVER" or DriverOnly).
constexpr DriverInstallOptions kDriverOnlyRun{
    .noticeOwner = NoticeOwner::None,
    .hideOwner = false,
    .windowsToClose = WindowsToClose::Mixer,
    .waitCursorDuringClosing = false,
    .sourceLayout = SourceLayout::Disc,
    .writeMixerDefaults = true,
    .stageDosFiles = true,
    .stageMixerReplacement = true,
    .baselineBeforeReenumerate = false,
};

// The start routine in web-package mode (WebSetup other than 0 and 1).
constexpr DriverInstallOptions kWebPackageRun{
    .noticeOwner = NoticeOwner::None,
    .hideOwner = false,
    .windowsToClose = WindowsToClose::Mixer,
    .waitCursorDuringClosing = false,
    .sourceLayout = SourceLayout::Flat,
    .writeMixerDefaults = false,
    .stageDosFiles = false,
    .stageMixerReplacement = true,
    .baselineBeforeReenumerate = true,
};

// The main dialog's OK with "Install Device Driver".
constexpr DriverInstallOptions kMainDialogRun{
    .noticeOwner = NoticeOwner::CallingDialog,
    .hideOwner = false,
    .windowsToClose = WindowsToClose::None,
    .waitCursorDuringClosing = true,
    .sourceLayout = SourceLayout::Disc,
    .writeMixerDefaults = true,
    .stageDosFiles = true,
    .stageMixerReplacement = true,
    .baselineBeforeReenumerate = false,
};

// The Windows 2000 options dialog's "Install".
constexpr DriverInstallOptions kWdmOptionsRun{
    .noticeOwner = NoticeOwner::CallingDialog,
    .hideOwner = true,
    .windowsToClose = WindowsToClose::SuitePrograms,
    .waitCursorDuringClosing = true,
    .sourceLayout = SourceLayout::Flat,
    .writeMixerDefaults = true,
    .stageDosFiles = false,
    .stageMixerReplacement = false,
    .baselineBeforeReenumerate = true,
};
