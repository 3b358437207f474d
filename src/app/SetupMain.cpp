#include "app/SetupMain.h"

#include "app/SetupApp.h"

int RunSetupProgram(platform::Platform& platform) {
  CSetupApp app(platform);
  return app.Run();
}
