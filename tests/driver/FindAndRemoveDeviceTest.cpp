// Finding a present device by hardware ID and removing it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/FindAndRemoveDevice.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

constexpr const char* kController = "PCI\\VEN_1E5B&DEV_0111";
constexpr const char* kControllerFull = "PCI\\VEN_1E5B&DEV_0111&SUBSYS_00011E5B&REV_01";
constexpr size_t kSearchBufferSize = 256;

fake::FakeDevice Device(const char* instanceId, std::vector<std::string> hardwareIds) {
  fake::FakeDevice device;
  device.instanceId = instanceId;
  device.hardwareIds = std::move(hardwareIds);
  return device;
}

// One call as the installation makes it: a zero-filled 256-byte buffer.
struct Search {
  int result = -1;
  std::string text;
  int removeFlag = 0;
  uint32_t lastError = 0;
};

Search RunSearch(fake::FakeMachine& machine, const char* needle, int removeFlag) {
  char buffer[kSearchBufferSize] = {};
  std::strcpy(buffer, needle);
  Search search;
  search.removeFlag = removeFlag;
  search.result =
      FindAndRemoveDevice(machine.platform(), buffer, sizeof buffer, &search.removeFlag);
  search.lastError = machine.system.GetLastError();
  search.text = buffer;
  return search;
}

TEST(FindAndRemoveDevice, RemovesTheFirstDeviceWithTheIdInAnyStringOfItsList) {
  fake::FakeMachine machine;
  machine.devices.AddDevice(Device("ACPI\\PNP0303\\4&1", {"ACPI\\PNP0303", "*PNP0303"}));
  machine.devices.AddDevice(Device("ROOT\\LEGACY\\0000", {}));  // no hardware IDs
  machine.devices.AddDevice(
      Device("PCI\\FIRST", {"PCI\\VEN_8086&DEV_2415", kControllerFull, "PCI\\VEN_1E5B"}));
  machine.devices.AddDevice(Device("PCI\\SECOND", {kControllerFull}));

  Search search = RunSearch(machine, kController, 1);

  EXPECT_EQ(search.result, 1);
  EXPECT_EQ(search.text, kControllerFull);
  EXPECT_EQ(search.removeFlag, 1);
  EXPECT_EQ(machine.devices.RemovedDevices(), std::vector<std::string>{"PCI\\FIRST"});
  EXPECT_EQ(machine.devices.openSets, 0);
}

TEST(FindAndRemoveDevice, ReportsEachOutcomeThroughResultTextFlagAndLastError) {
  constexpr uint32_t kAnyError = 0xFFFFFFFF;
  struct Case {
    const char* name;
    std::vector<fake::FakeDevice> devices;
    int removeFlag;
    int expectedResult;
    const char* expectedText;
    int expectedFlag;
    std::vector<std::string> expectedRemoved;
    uint32_t expectedLastError;
  };
  fake::FakeDevice lowerCase = Device("PCI\\LOWER", {"pci\\ven_1e5b&dev_0111&subsys_00011e5b"});
  fake::FakeDevice refusing = Device("PCI\\LOCKED", {kControllerFull});
  refusing.removeFails = true;
  fake::FakeDevice broken = Device("PCI\\BROKEN", {"PCI\\VEN_1234"});
  broken.propertyError = ERROR_NOT_ALL_ASSIGNED;
  const Case cases[] = {
      {"lower-case ID is not the ID", {lowerCase}, 1, 0, kController, 1, {}, ERROR_NO_MORE_ITEMS},
      {"no device at all", {}, 1, 0, kController, 1, {}, ERROR_NO_MORE_ITEMS},
      {"removal refused", {refusing}, 1, 1, kControllerFull, 0, {}, ERROR_ACCESS_DENIED},
      {"flag 0 only finds",
       {Device("PCI\\CTRL", {kControllerFull})},
       0,
       1,
       kControllerFull,
       0,
       {},
       kAnyError},
      {"unknown property error ends the search",
       {broken, Device("PCI\\CTRL", {kControllerFull})},
       1,
       0,
       kController,
       1,
       {},
       ERROR_NOT_ALL_ASSIGNED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    for (const fake::FakeDevice& device : c.devices) machine.devices.AddDevice(device);

    Search search = RunSearch(machine, kController, c.removeFlag);

    EXPECT_EQ(search.result, c.expectedResult);
    EXPECT_EQ(search.text, c.expectedText);
    EXPECT_EQ(search.removeFlag, c.expectedFlag);
    EXPECT_EQ(machine.devices.RemovedDevices(), c.expectedRemoved);
    if (c.expectedLastError != kAnyError) {
      EXPECT_EQ(search.lastError, c.expectedLastError);
    }
    EXPECT_EQ(machine.devices.openSets, 0);
  }
}

TEST(FindAndRemoveDevice, NothingHappensWhenTheDeviceSetCannotBeBuilt) {
  fake::FakeMachine machine;
  machine.devices.AddDevice(Device("PCI\\CTRL", {kControllerFull}));
  machine.devices.classDevsFails = true;

  Search search = RunSearch(machine, kController, 1);

  EXPECT_EQ(search.result, 0);
  EXPECT_EQ(search.text, kController);
  EXPECT_TRUE(machine.devices.RemovedDevices().empty());
}

TEST(FindAndRemoveDevice, CutsAnIdLongerThanTheBufferAndTerminatesIt) {
  const std::string longId = std::string(kController) + "&" + std::string(300, 'X');
  fake::FakeMachine machine;
  machine.devices.AddDevice(Device("PCI\\LONG", {longId}));

  // The caller's 256 bytes, followed by bytes that must stay untouched.
  char memory[kSearchBufferSize + 8];
  std::memset(memory, 0, kSearchBufferSize);
  std::memset(memory + kSearchBufferSize, '#', 8);
  std::strcpy(memory, kController);
  int removeFlag = 1;

  EXPECT_EQ(FindAndRemoveDevice(machine.platform(), memory, kSearchBufferSize, &removeFlag), 1);

  EXPECT_EQ(std::string(memory), longId.substr(0, kSearchBufferSize - 1));
  EXPECT_EQ(std::string(memory + kSearchBufferSize, 8), std::string(8, '#'));
  EXPECT_EQ(machine.devices.RemovedDevices(), std::vector<std::string>{"PCI\\LONG"});
}

TEST(FindAndRemoveDevice, NeverMatchesInsideADoubleByteCharacter) {
  // "\x95\x5C" is one Shift-JIS character whose second byte is a backslash:
  // byte by byte, the first ID contains "\ABC"; character by character only
  // the second one does.
  const std::string straddling =
      "ROOT\\\x95\x5C"
      "ABC";
  const std::string genuine = "ROOT\\ABC";
  for (int codePage : {932, 1252}) {
    SCOPED_TRACE(codePage);
    fake::FakeMachine machine;
    machine.system.SetCodePage(codePage);
    machine.devices.AddDevice(Device("ROOT\\ONE", {straddling}));
    machine.devices.AddDevice(Device("ROOT\\TWO", {genuine}));

    Search search = RunSearch(machine, "\\ABC", 1);

    EXPECT_EQ(search.result, 1);
    EXPECT_EQ(search.text, codePage == 932 ? genuine : straddling);
  }
}

TEST(FindAndRemoveDevice, CutsADoubleByteIdOnACharacterBoundary) {
  // Seven bytes would end inside the second double-byte character.
  const std::string id = "PCI\\\x83\x41\x83\x42\x83\x43";
  fake::FakeMachine machine;
  machine.system.SetCodePage(932);
  machine.devices.AddDevice(Device("PCI\\JP", {id}));
  char buffer[8] = "PCI\\";
  int removeFlag = 0;

  EXPECT_EQ(FindAndRemoveDevice(machine.platform(), buffer, sizeof buffer, &removeFlag), 1);

  EXPECT_EQ(std::string(buffer), "PCI\\\x83\x41");
}

// The list is read within the bytes the property holds: a last ID without
// its zero (or without the list's final zero) ends with the data, an ID
// after an empty string is no part of the list, and a single string of
// another value type reads as a list of one.
TEST(FindAndRemoveDevice, ReadsAListOfAnyShapeWithinItsBytes) {
  const std::string controller = kControllerFull;
  const struct {
    const char* name;
    std::string data;
    bool found;
  } cases[] = {
      {"both zeros", "PCI\\VEN_8086" + std::string(1, '\0') + controller + std::string(2, '\0'),
       true},
      {"no final zero", "PCI\\VEN_8086" + std::string(1, '\0') + controller + std::string(1, '\0'),
       true},
      {"no zero at all", "PCI\\VEN_8086" + std::string(1, '\0') + controller, true},
      {"single string", controller + std::string(1, '\0'), true},
      {"ID cut by the data's end", controller.substr(0, 12), false},
      {"ID after an empty string", "PCI\\VEN_8086" + std::string(2, '\0') + controller, false},
      {"empty first string", std::string(1, '\0') + controller, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    fake::FakeDevice device = Device("PCI\\RAW", {});
    device.hardwareIdData = c.data;
    machine.devices.AddDevice(device);

    Search search = RunSearch(machine, kController, 1);

    EXPECT_EQ(search.result, c.found ? 1 : 0);
    EXPECT_EQ(search.text, c.found ? controller : std::string(kController));
    EXPECT_EQ(machine.devices.RemovedDevices().size(), c.found ? 1u : 0u);
  }
}

}  // namespace
