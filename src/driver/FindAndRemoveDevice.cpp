#include "driver/FindAndRemoveDevice.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/MultibyteText.h"
#include "platform/WinApi.h"

namespace {

enum class HardwareIds { Read, Missing, Failed };

// Reads the device's hardware-ID list (REG_MULTI_SZ) into buffer, growing it
// as often as the setup services ask for more room. *size receives the size
// the query reported.
HardwareIds ReadHardwareIds(platform::Platform& platform, platform::DevInfoSet set,
                            const platform::DevInfoData& device, std::vector<uint8_t>* buffer,
                            uint32_t* size) {
  buffer->clear();
  for (;;) {
    uint32_t required = 0;
    if (platform.devices.GetDeviceRegistryProperty(set, device, SPDRP_HARDWAREID, buffer->data(),
                                                   static_cast<uint32_t>(buffer->size()),
                                                   &required)) {
      *size = required;
      return HardwareIds::Read;
    }
    uint32_t error = platform.system.GetLastError();
    if (error == ERROR_INVALID_DATA) return HardwareIds::Missing;
    // A request for no more room than the buffer already has would repeat
    // forever; it ends the search like any other failure.
    if (error != ERROR_INSUFFICIENT_BUFFER || required <= buffer->size()) {
      return HardwareIds::Failed;
    }
    buffer->assign(required, 0);
  }
}

// Length of the longest prefix of text, at most limit bytes, that ends on a
// character boundary.
size_t BoundaryAtOrBefore(platform::System& system, const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    size_t next = end + 1;
    if (system.IsDBCSLeadByte(static_cast<uint8_t>(text[end])) && next < text.size()) ++next;
    if (next > limit) break;
    end = next;
  }
  return end;
}

}  // namespace

int FindAndRemoveDevice(platform::Platform& platform, char* searchText, size_t bufferSize,
                        int* removeFlag) {
  platform::DevInfoSet set = platform.devices.GetClassDevs(DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (set == platform::kInvalidDevInfoSet) return 0;

  const std::string needle(searchText, strnlen(searchText, bufferSize));
  int found = 0;
  std::vector<uint8_t> buffer;
  platform::DevInfoData device;
  for (uint32_t index = 0; !found && platform.devices.EnumDeviceInfo(set, index, &device);
       ++index) {
    uint32_t reported = 0;
    HardwareIds ids = ReadHardwareIds(platform, set, device, &buffer, &reported);
    if (ids == HardwareIds::Failed) break;
    if (ids == HardwareIds::Missing) continue;

    const char* list = reinterpret_cast<const char*>(buffer.data());
    const size_t listSize = std::min<size_t>(reported, buffer.size());
    for (size_t offset = 0; offset < listSize && list[offset] != '\0';) {
      const std::string id(list + offset, strnlen(list + offset, listSize - offset));
      offset += id.size() + 1;
      if (!ContainsAtCharacterBoundary(platform.system, id, needle)) continue;

      if (*removeFlag) *removeFlag = platform.devices.RemoveDevice(set, device) ? 1 : 0;
      if (bufferSize > 0) {
        // An ID longer than the caller's buffer is cut, never split inside a
        // double-byte character, and always terminated.
        size_t length = BoundaryAtOrBefore(platform.system, id, bufferSize - 1);
        std::memcpy(searchText, id.data(), length);
        searchText[length] = '\0';
      }
      found = 1;
      break;
    }
  }

  // Destroying the set would overwrite the code that ended the search.
  uint32_t lastError = platform.system.GetLastError();
  platform.devices.DestroyDeviceInfoList(set);
  platform.system.SetLastError(lastError);
  return found;
}

bool FindControllerDevice(platform::Platform& platform, bool remove) {
  char hardwareId[256] = {};
  std::strcpy(hardwareId, "PCI\\VEN_1E5B&DEV_0111");
  int removeFlag = remove ? 1 : 0;
  return FindAndRemoveDevice(platform, hardwareId, sizeof hardwareId, &removeFlag) == 1 &&
         (!remove || removeFlag != 0);
}
