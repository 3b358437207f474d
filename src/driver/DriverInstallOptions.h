// What tells the four callers of the driver installation apart.
#pragma once

enum class WindowsToClose { None, Mixer, SuitePrograms };
enum class SourceLayout { Disc, Flat };

struct DriverInstallOptions {
  bool noticeOwnedByCaller;  // the notice box is owned by the calling dialog
  bool hideOwner;            // hide the calling dialog once the notice is dismissed
  WindowsToClose windowsToClose;
  bool waitCursorDuringClosing;  // the wait cursor goes up before the programs are closed
  SourceLayout sourceLayout;     // "W2K-ME\drv\" / "WIN_ME\drv\", or beside the program
  bool writeMixerDefaults;       // "mixerdef.ini" [RUNTIME] Initialize=0
  bool stageDosFiles;            // "Dosdrv\" and "Dosdrv\DOSAPP\"
  bool patchInfFiles;            // the options dialog's choices written into staged INFs
  bool stageMixerReplacement;    // "Mixer.dat", "W2KSetup.exe" and the logon Run value
  bool baselineBeforeReenumerate;
};

// The start routine in driver-only mode.
constexpr DriverInstallOptions kDriverOnlyRun{
    false, false, WindowsToClose::Mixer, false, SourceLayout::Disc, true, true, false, true, false};
// The start routine in web-package mode.
constexpr DriverInstallOptions kWebPackageRun{
    false, false, WindowsToClose::Mixer, false, SourceLayout::Flat, false, false, false,
    true,  true};
// The main dialog's OK with "Install Device Driver".
constexpr DriverInstallOptions kMainDialogRun{
    true, false, WindowsToClose::None, true, SourceLayout::Disc, true, true, false, true, false};
// The Windows 2000 options dialog's "Install".
constexpr DriverInstallOptions kWdmOptionsRun{
    true,  true, WindowsToClose::SuitePrograms, true, SourceLayout::Flat, true, false, true,
    false, true};
