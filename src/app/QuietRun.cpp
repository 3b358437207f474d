#include "app/QuietRun.h"

#include <cstring>

#include "observation/ValueText.h"
#include "platform/WinApi.h"

namespace {

// The buttons of each MB_ type (the low four bits), in the order the box shows them.
constexpr int kButtons[][3] = {
    {IDOK},                              // MB_OK
    {IDOK, IDCANCEL},                    // MB_OKCANCEL
    {IDABORT, IDRETRY, IDIGNORE},        // MB_ABORTRETRYIGNORE
    {IDYES, IDNO, IDCANCEL},             // MB_YESNOCANCEL
    {IDYES, IDNO},                       // MB_YESNO
    {IDRETRY, IDCANCEL},                 // MB_RETRYCANCEL
    {IDCANCEL, IDTRYAGAIN, IDCONTINUE},  // MB_CANCELTRYCONTINUE
};

// The buttons' names by their numbers (IDOK is 1), for the log.
const char* const kButtonNames[] = {"",    "OK", "Cancel", "Abort", "Retry",     "Ignore",
                                    "Yes", "No", "",       "",      "Try Again", "Continue"};

bool Is(const observation::SeamCall& call, const char* method) {
  return std::strcmp(call.InterfaceName(), "Desktop") == 0 &&
         std::strcmp(call.GetMethod().name, method) == 0;
}

}  // namespace

int QuietRun::DefaultButton(uint32_t type) {
  const uint32_t kind = type & 0x0F;
  if (kind >= std::size(kButtons)) return IDOK;
  // MB_DEFBUTTON2 to 4 in bits 8 and 9; a button the box lacks leaves the first.
  const uint32_t index = (type >> 8) & 0x03;
  const int button = index < 3 ? kButtons[kind][index] : 0;
  return button != 0 ? button : kButtons[kind][0];
}

void QuietRun::Before(observation::SeamCall& call) {
  if (Is(call, "MessageBox")) {
    const std::string* text = call.Argument<std::string>(1);
    const std::string* caption = call.Argument<std::string>(2);
    const uint32_t* type = call.Argument<uint32_t>(3);
    const int button = DefaultButton(type ? *type : MB_OK);
    call.ReplaceResult(button);
    // Quoted and escaped like every text of the log: a box's text has line ends.
    Note("quiet run: message box " + observation::Text(caption ? *caption : "") + " answered " +
         kButtonNames[button] + ": " + observation::Text(text ? *text : ""));
  } else if (Is(call, "RunModalDialog")) {
    const int* templateId = call.Argument<int>(0);
    call.ReplaceResult(static_cast<intptr_t>(IDCANCEL));
    Note("quiet run: dialog " + std::to_string(templateId ? *templateId : 0) +
         " not shown, taken as cancelled");
  }
}

void QuietRun::Note(const std::string& line) {
  if (m_note) m_note(line);
}
