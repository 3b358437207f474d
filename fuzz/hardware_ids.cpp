// Fuzz target: the search of the devices' hardware-ID lists, on property
// data of any length, with and without the final terminator.
//
// Input: byte 0 holds the code page (bit 0 set: 932), the removal request
// (bit 1), the searched text (bit 2 set: the controller's ID; clear: taken
// from the input) and a zero-sized result buffer (bit 3); byte 1 the size of
// the result buffer less one. Then, without bit 2, one length byte and the
// searched text; then the devices, each a flag byte (bit 0: absent, bit 1:
// its removal fails, bits 2 and 3: the property query fails with
// ERROR_INVALID_DATA, with ERROR_NOT_ALL_ASSIGNED, or not at all), a length
// byte and the property's bytes. The search must find a device exactly when
// one of its IDs (up to the first empty string or the data's end) holds the
// text at a character boundary, stop at a failing query, remove the first
// such device only, and return that ID cut to the buffer on a character
// boundary, terminated, writing nothing past the buffer.
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "driver/FindAndRemoveDevice.h"
#include "fake/FakeMachine.h"

namespace {

constexpr const char* kControllerId = "PCI\\VEN_1E5B&DEV_0111";
constexpr uint32_t kInvalidData = 13;
constexpr uint32_t kNotAllAssigned = 1300;

// Reads the input front to back; past its end every read gives zero.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool AtEnd() const { return m_at >= m_size; }
  uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  std::string Bytes(size_t count) {
    count = std::min(count, m_size - std::min(m_at, m_size));
    std::string bytes(reinterpret_cast<const char*>(m_data) + m_at, count);
    m_at += count;
    return bytes;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

// The IDs of a hardware-ID list: strings ended by a zero, up to the first
// empty one; the last may end with the data instead.
std::vector<std::string> IdsOf(const std::string& data) {
  std::vector<std::string> ids;
  for (size_t offset = 0; offset < data.size() && data[offset] != '\0';) {
    const size_t zero = data.find('\0', offset);
    const size_t end = zero == std::string::npos ? data.size() : zero;
    ids.push_back(data.substr(offset, end - offset));
    offset = end + 1;
  }
  return ids;
}

bool HoldsAtCharacterBoundary(const std::string& id, const std::string& text, bool doubleByte) {
  if (text.empty()) return true;
  for (size_t start : fuzz::CharacterStarts(id, doubleByte)) {
    if (id.compare(start, text.size(), text) == 0) return true;
  }
  return false;
}

// The longest prefix of id, at most limit bytes, that ends on a character boundary.
std::string CutToCharacters(const std::string& id, size_t limit, bool doubleByte) {
  size_t end = 0;
  const std::vector<size_t> starts = fuzz::CharacterStarts(id, doubleByte);
  for (size_t k = 0; k < starts.size(); ++k) {
    const size_t next = k + 1 < starts.size() ? starts[k + 1] : id.size();
    if (next > limit) break;
    end = next;
  }
  return id.substr(0, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader input(data, size);
  const uint8_t flags = input.Byte();
  const bool doubleByte = flags & 0x01;
  const bool removalAsked = flags & 0x02;
  const size_t bufferSize = flags & 0x08 ? 0 : input.Byte() + 1u;
  std::string searched = kControllerId;
  if (!(flags & 0x04)) searched = input.Bytes(input.Byte());

  fake::FakeMachine machine;
  machine.system.SetCodePage(doubleByte ? 932 : 1252);
  for (int index = 0; !input.AtEnd() && index < 64; ++index) {
    const uint8_t deviceFlags = input.Byte();
    fake::FakeDevice device;
    device.instanceId = "DEV\\" + std::to_string(index);
    device.present = !(deviceFlags & 0x01);
    device.removeFails = deviceFlags & 0x02;
    const uint32_t kErrors[] = {0, kInvalidData, kNotAllAssigned, 0};
    device.propertyError = kErrors[(deviceFlags >> 2) & 0x03];
    device.hardwareIdData = input.Bytes(input.Byte());
    machine.devices.AddDevice(device);
  }

  // The caller's buffer, exactly bufferSize bytes, holding the searched text
  // (cut to the buffer, terminated when it fits) and a filler after it.
  std::unique_ptr<char[]> buffer(new char[bufferSize > 0 ? bufferSize : 1]);
  std::memset(buffer.get(), '#', bufferSize);
  std::memcpy(buffer.get(), searched.data(), std::min(searched.size(), bufferSize));
  if (searched.size() < bufferSize) buffer[searched.size()] = '\0';
  const std::string before(buffer.get(), bufferSize);
  std::string needle = before.substr(0, before.find('\0'));

  // The first device with an ID holding the text; a failing query ends the search.
  std::optional<size_t> match;
  std::string matchedId;
  const std::vector<fake::FakeDevice> devices = machine.devices.Devices();
  for (size_t i = 0; i < devices.size() && !match; ++i) {
    const fake::FakeDevice& device = devices[i];
    if (!device.present) continue;
    if (device.propertyError == kNotAllAssigned) break;
    if (device.propertyError == kInvalidData) continue;
    for (const std::string& id : IdsOf(*device.hardwareIdData)) {
      if (HoldsAtCharacterBoundary(id, needle, doubleByte)) {
        match = i;
        matchedId = id;
        break;
      }
    }
  }

  int removeFlag = removalAsked ? 1 : 0;
  const int found = FindAndRemoveDevice(machine.platform(), buffer.get(), bufferSize, &removeFlag);
  const std::string after(buffer.get(), bufferSize);

  fuzz::Require(found == (match ? 1 : 0), "found a device wrongly");
  fuzz::Require(machine.devices.openSets == 0, "the device set was left open");
  const std::vector<std::string> removed = machine.devices.RemovedDevices();
  if (!match) {
    fuzz::Require(after == before, "the buffer changed without a match");
    fuzz::Require(removed.empty(), "a device was removed without a match");
    fuzz::Require(removeFlag == (removalAsked ? 1 : 0), "the removal flag changed without a match");
    return 0;
  }
  const bool removable = removalAsked && !devices[*match].removeFails;
  fuzz::Require(removeFlag == (removable ? 1 : 0), "the removal flag is wrong");
  fuzz::Require(removed == (removable ? std::vector<std::string>{devices[*match].instanceId}
                                      : std::vector<std::string>{}),
                "the wrong devices were removed");
  if (bufferSize == 0) return 0;
  const std::string expected = CutToCharacters(matchedId, bufferSize - 1, doubleByte);
  fuzz::Require(after.compare(0, expected.size(), expected) == 0 && after[expected.size()] == '\0',
                "the buffer does not hold the matched ID, cut and terminated");
  fuzz::Require(after.substr(expected.size() + 1) == before.substr(expected.size() + 1),
                "bytes after the terminator changed");
  return 0;
}
