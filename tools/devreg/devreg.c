/* Registers fake devices in a Wine prefix and lists the present ones, so the
 * end-to-end tests can give the setup program a device to find and remove.
 *
 *   devreg.exe add <instance name> <hardware id> [<hardware id>...]
 *   devreg.exe list
 *
 * add: creates a device of the media class with the instance name (for
 * example ROOT\MEDIA\0001) and the hardware IDs as its REG_MULTI_SZ list, and
 * registers it. list: prints one line per present device of any class,
 *   <instance id>\t<hardware id>\t<hardware id>...
 * with no hardware ID after the tab when the device has none.
 * Exit code: 0 on success, 1 when a setup call fails (the error is printed on
 * stderr), 2 on a usage error. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
/* initguid.h must come first so that devguid.h defines the class GUIDs. */
/* clang-format off */
#include <initguid.h>
#include <devguid.h>
/* clang-format on */
#include <setupapi.h>

static int fail(const char* what) {
  fprintf(stderr, "devreg: %s failed, error %lu\n", what, (unsigned long)GetLastError());
  return 1;
}

static int add_device(const char* name, int id_count, char** ids) {
  /* REG_MULTI_SZ: every ID with its zero, then one more zero. */
  size_t size = 1;
  for (int i = 0; i < id_count; i++) size += strlen(ids[i]) + 1;
  char* multi = (char*)calloc(size, 1);
  if (!multi) return fail("calloc");
  char* p = multi;
  for (int i = 0; i < id_count; i++) {
    size_t len = strlen(ids[i]) + 1;
    memcpy(p, ids[i], len);
    p += len;
  }

  int rc = 0;
  HDEVINFO set = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_MEDIA, NULL);
  if (set == INVALID_HANDLE_VALUE) {
    free(multi);
    return fail("SetupDiCreateDeviceInfoList");
  }
  SP_DEVINFO_DATA dev;
  memset(&dev, 0, sizeof dev);
  dev.cbSize = sizeof dev;
  if (!SetupDiCreateDeviceInfoA(set, name, &GUID_DEVCLASS_MEDIA, NULL, NULL, 0, &dev)) {
    rc = fail("SetupDiCreateDeviceInfoA");
  } else if (!SetupDiSetDeviceRegistryPropertyA(set, &dev, SPDRP_HARDWAREID, (const BYTE*)multi,
                                                (DWORD)size)) {
    rc = fail("SetupDiSetDeviceRegistryPropertyA");
  } else if (!SetupDiRegisterDeviceInfo(set, &dev, 0, NULL, NULL, NULL)) {
    rc = fail("SetupDiRegisterDeviceInfo");
  }
  SetupDiDestroyDeviceInfoList(set);
  free(multi);
  return rc;
}

static int list_devices(void) {
  HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return fail("SetupDiGetClassDevsA");
  SP_DEVINFO_DATA dev;
  memset(&dev, 0, sizeof dev);
  dev.cbSize = sizeof dev;
  int rc = 0;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &dev); index++) {
    char instance[1024];
    if (!SetupDiGetDeviceInstanceIdA(set, &dev, instance, sizeof instance, NULL)) {
      rc = fail("SetupDiGetDeviceInstanceIdA");
      break;
    }
    printf("%s\t", instance);
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyA(set, &dev, SPDRP_HARDWAREID, NULL, NULL, 0, &size);
    if (size) {
      BYTE* ids = (BYTE*)calloc(size + 2, 1); /* two extra zeros end the list for sure */
      if (!ids) return fail("calloc");
      if (SetupDiGetDeviceRegistryPropertyA(set, &dev, SPDRP_HARDWAREID, NULL, ids, size, NULL)) {
        const char* s = (const char*)ids;
        int first = 1;
        while (*s) {
          printf(first ? "%s" : "\t%s", s);
          first = 0;
          s += strlen(s) + 1;
        }
      }
      free(ids);
    }
    printf("\n");
  }
  if (!rc && GetLastError() != ERROR_NO_MORE_ITEMS) rc = fail("SetupDiEnumDeviceInfo");
  SetupDiDestroyDeviceInfoList(set);
  fflush(stdout);
  return rc;
}

int main(int argc, char** argv) {
  if (argc >= 4 && strcmp(argv[1], "add") == 0) return add_device(argv[2], argc - 3, argv + 3);
  if (argc == 2 && strcmp(argv[1], "list") == 0) return list_devices();
  fprintf(stderr,
          "usage: devreg.exe add <instance name> <hardware id> [<hardware id>...]\n"
          "       devreg.exe list\n");
  return 2;
}
