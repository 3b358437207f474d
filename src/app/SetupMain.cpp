#include "app/SetupMain.h"

#include "app/QuietRun.h"
#include "app/SetupApp.h"
#include "diagnostics/LoggedPlatform.h"

namespace {

// Where a quiet run without a log writes its lines.
class NoLog final : public diagnostics::LogSink {
 public:
  void Write(const std::string&) override {}
};

}  // namespace

int RunSetupProgram(platform::Platform& platform, const RunSwitches& switches,
                    diagnostics::LogSink* log) {
  if (log == nullptr && !switches.quiet) {
    CSetupApp app(platform, switches);
    return app.Run();
  }
  NoLog noLog;
  diagnostics::LoggedPlatform* logged = nullptr;
  const RunNote note = [&logged](const std::string& line) { logged->Write(line); };
  QuietRun quiet(note);
  diagnostics::LoggedPlatform loggedPlatform(platform, log != nullptr ? *log : noLog,
                                             switches.quiet ? &quiet : nullptr);
  logged = &loggedPlatform;
  if (log != nullptr) loggedPlatform.Start();
  CSetupApp app(loggedPlatform.platform(), switches, note);
  const int exitCode = app.Run();
  if (log != nullptr) loggedPlatform.End(exitCode);
  return exitCode;
}
