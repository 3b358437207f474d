#include "driver/RemovalEntry.h"

#include "common/CommandLine.h"
#include "common/MultibyteText.h"
#include "common/Paths.h"
#include "common/ProgramDirectory.h"
#include "common/RegistryKey.h"
#include "common/SharedNames.h"
#include "driver/DriverStaging.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace driver {

namespace {

// The running program, as its own command line names it.
std::string RunningProgram(platform::Platform& platform) {
  const std::string argument = ProgramPathArgument(platform.processes.GetCommandLine());
  const size_t slash = FindLastSingleByte(platform.system, argument, '\\');
  std::string name = slash == std::string::npos ? argument : argument.substr(slash + 1);
  if (name.find('.') == std::string::npos) name += ".exe";  // started without its extension
  std::string path;
  return JoinPath(ProgramDirectory(platform), name, &path) ? path : std::string();
}

// The bytes of the files directly in a folder.
uint64_t FolderBytes(platform::FileSystem& files, const std::string& folder) {
  uint64_t bytes = 0;
  ForEachFile(files, folder + "*.*", [&bytes](const platform::FindData& found) {
    if (!(found.attributes & FILE_ATTRIBUTE_DIRECTORY)) bytes += found.size;
    return true;
  });
  return bytes;
}

// What the installation put into the maker's folder, in KB as the list shows it.
uint32_t KilobytesStaged(platform::FileSystem& files) {
  uint64_t bytes = 0;
  for (const char* folder : {shared::kMakerFolder, kStagingFolder, kDosFolder, kDosAppFolder}) {
    bytes += FolderBytes(files, folder);
  }
  return static_cast<uint32_t>((bytes + 1023) / 1024);
}

}  // namespace

std::string DriverVersionOf(const std::string& driverVer) {
  const size_t comma = driverVer.find(',');
  if (comma == std::string::npos) return std::string();
  const size_t first = driverVer.find_first_not_of(" \t", comma + 1);
  if (first == std::string::npos) return std::string();
  const size_t last = driverVer.find_last_not_of(" \t");
  return driverVer.substr(first, last - first + 1);
}

void RegisterForRemoval(platform::Platform& platform, const std::string& driverVersion) {
  const std::string program = RunningProgram(platform);
  // A copy that runs (the removal's own, installing again) stays as it is.
  const bool copied = !program.empty() &&
                      !SamePath(platform.system, program, shared::kRemovalProgram) &&
                      CopyOverWhole(platform, program, shared::kRemovalProgram);
  if (!copied && !FileLiesAt(platform.files, shared::kRemovalProgram)) return;

  RegistryKey key(platform.registry);
  if (!key.Create(platform::Hive::LocalMachine, shared::kUninstallKeyPath, KEY_ALL_ACCESS)) return;
  const std::string quoted = PathInQuotes(shared::kRemovalProgram);
  key.WriteText("DisplayName", platform.desktop.LoadString(IDS_DRIVER_DISPLAY_NAME));
  key.WriteText("DisplayVersion",
                driverVersion.empty() ? std::string(shared::kProgramVersion) : driverVersion);
  key.WriteText("Publisher", shared::kPublisher);
  key.WriteText("InstallLocation", shared::kMakerFolder);
  key.WriteText("DisplayIcon", shared::kRemovalProgram);
  key.WriteNumber("NoModify", 1);
  key.WriteNumber("NoRepair", 1);
  key.WriteNumber("EstimatedSize", KilobytesStaged(platform.files));
  key.WriteText("QuietUninstallString", quoted + " /UNINSTALL /QUIET");
  // Last: the list shows an entry once it has a command to remove it with.
  key.WriteText("UninstallString", quoted + " /UNINSTALL");
}

}  // namespace driver
