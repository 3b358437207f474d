// The command-line switches, compared whole with the upper-cased command line:
// anything before or after a switch (a second argument, a trailing blank)
// matches nothing.
#pragma once

#include <string>

#include "platform/SystemServices.h"

bool IsReplaceMixerSwitch(const std::string& upperCommandLine);  // "-REPLACEMIXER"
bool IsApplicationsSwitch(const std::string& upperCommandLine);  // "/AP", "AP", "-AP"
bool IsDriverSwitch(const std::string& upperCommandLine);        // "/DRIVER", "DRIVER", "-DRIVER"

// The switches for a run without a person, read only from a line that matches
// none of the switches above. The line is split at blanks and tabs, a
// double-quoted part staying one token with its quotes removed; tokens are
// compared ignoring the case of ASCII letters.
struct RunSwitches {
  enum class Kind {
    Table,          // one of the switches above: the run is as always
    Unattended,     // only the tokens below, at least one of uninstall, quiet, no restart or log
    QuietRejected,  // quiet asked for, together with a token not known here
    Help,           // "/?", "-?" or "/HELP" alone
    Other,          // anything else: the run is as always, with no switch
  };
  Kind kind = Kind::Other;
  bool quiet = false;      // "/QUIET", "/Q", "/S", also with "-"
  bool noRestart = false;  // "/NORESTART", "-NORESTART"; quiet implies it
  bool driver = false;     // "/DRIVER", "DRIVER", "-DRIVER"
  bool uninstall = false;  // "/UNINSTALL", "-UNINSTALL": remove the driver
  std::string logFile;     // "/LOG=<file>", "-LOG=<file>", the file as given

  // The text after the program name, blanks in front of it skipped: as given,
  // and upper-cased as the start routine compares it.
  std::string commandLine;
  std::string upperCommandLine;
};

// commandLine is the text after the program name as given; upperCommandLine
// the same text upper-cased as the start routine compares it.
RunSwitches ReadRunSwitches(const std::string& commandLine, const std::string& upperCommandLine);

// The process command line, read once: the text after the program name,
// upper-cased as double-byte text allows, and its switches.
RunSwitches ReadCommandLine(platform::System& system, const std::string& processCommandLine);
