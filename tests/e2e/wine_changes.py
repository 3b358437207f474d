"""What Wine changes in a prefix by itself, whatever program runs, and the
comparisons that leave it out: a check of a run compares only what the program
may change, and so cannot turn red because Wine was slow or quick.

- Devices. Wine's display, bus and HID drivers register their devices (a
  monitor, a graphics adapter, Wine's virtual mouse and keyboard) when they come
  up; on a loaded machine that can be in the middle of a run, after the listing
  taken before it. The program only ever removes devices.
- Registry. Wine rewrites the keys of those devices and their classes at each
  start (the adapter's DriverDateData, for one), its desktop's settings, the
  network cards, and the fonts when a locale is first used.
"""

ENUM_KEY = r"HKLM\System\CurrentControlSet\Enum"
CLASS_KEY = r"HKLM\System\CurrentControlSet\Control\Class"
# The devices the tests plant and the program removes live here and in the media
# class; every other device key is Wine's own.
MEDIA_DEVICES_KEY = ENUM_KEY + r"\ROOT\MEDIA"
MEDIA_CLASS_KEY = CLASS_KEY + r"\{4D36E96C-E325-11CE-BFC1-08002BE10318}"

WINE_OWN_KEYS = (
    r"HKLM\System\CurrentControlSet\Control\DeviceClasses",
    r"HKLM\System\CurrentControlSet\Control\Video",
    r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\NetworkCards",
    r"HKCU\Software\Wine\Explorer",
    r"HKCU\Software\Wine\Fonts",
    r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts",
    r"HKLM\Software\Microsoft\Windows\CurrentVersion\Fonts",
)

# The controller's hardware ID, as the program looks for it.
CONTROLLER_HARDWARE_ID = r"PCI\VEN_1E5B&DEV_0111"


def _under(key, parent):
    key, parent = key.lower(), parent.lower()
    return key == parent or key.startswith(parent + "\\")


def is_wine_own_key(key):
    """True for a registry key that Wine changes by itself."""
    if _under(key, ENUM_KEY):
        return not _under(key, MEDIA_DEVICES_KEY)
    if _under(key, CLASS_KEY) and key.lower() != CLASS_KEY.lower():
        return not _under(key, MEDIA_CLASS_KEY)
    return any(_under(key, k) for k in WINE_OWN_KEYS)


def program_changes(diff):
    """A diff of reg_files.diff_snapshots less the registry changes that are Wine's."""
    out = dict(diff)
    for kind in ("registry_added", "registry_removed", "registry_changed"):
        out[kind] = [c for c in diff[kind] if not is_wine_own_key(c[0][0])]
    return out


def device_faults(before, after, removed=()):
    """What is wrong between two listings of present devices ({instance: [hardware
    ids]}) of a run that should have removed the devices `removed`: one of those
    still present, another device that was present and is gone, or a new device
    of the controller. Other new devices are Wine's and do not count."""
    faults = []
    for instance in removed:
        if instance not in before:
            faults.append("%s was not present before the run" % instance)
        elif instance in after:
            faults.append("%s was not removed" % instance)
    faults += ["%s was removed" % i for i in before if i not in removed and i not in after]
    faults += ["%s appeared: %s" % (i, ids) for i, ids in after.items()
               if i not in before and
               any(CONTROLLER_HARDWARE_ID.lower() in h.lower() for h in ids)]
    return faults
