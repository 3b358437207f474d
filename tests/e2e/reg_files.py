"""Registry and profile parsing: Wine's saved hives and regedit exports, INI
files, and snapshots of a prefix's registry and files with their differences."""

import os
import re

from e2e_base import file_sha1

# ---------------------------------------------------------------------------
# Registry files


class RegValue:
    """One registry value: type number and raw bytes, with a decoded `value`."""

    REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7

    def __init__(self, type_, data):
        self.type = type_
        self.data = data

    @property
    def value(self):
        if self.type in (self.REG_SZ, self.REG_EXPAND_SZ):
            text = self.data.decode("utf-16-le", "replace")
            return text.split("\0", 1)[0]
        if self.type == self.REG_MULTI_SZ:
            text = self.data.decode("utf-16-le", "replace")
            return [s for s in text.split("\0") if s] if text else []
        if self.type == self.REG_DWORD and len(self.data) == 4:
            return int.from_bytes(self.data, "little")
        return self.data

    def __eq__(self, other):
        return isinstance(other, RegValue) and (self.type, self.data) == (other.type, other.data)

    def __repr__(self):
        return "RegValue(%d, %r)" % (self.type, self.value)


def _unescape_reg_string(s, pos):
    """Parses a quoted string starting after the opening quote; returns (text, end)."""
    out = []
    i = pos
    while i < len(s):
        c = s[i]
        if c == '"':
            return "".join(out), i + 1
        if c == "\\" and i + 1 < len(s):
            n = s[i + 1]
            i += 2
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", s[i:])
                if m:
                    out.append(chr(int(m.group(0), 16)))
                    i += len(m.group(0))
                else:
                    out.append("x")
                continue
            out.append({"0": "\0", "n": "\n", "r": "\r", "t": "\t", "a": "\a", "b": "\b", "e": "\x1b",
                        "f": "\f", "v": "\v"}.get(n, n))
            continue
        out.append(c)
        i += 1
    raise ValueError("unterminated string")


def _parse_key_name(s):
    """The key path of a '[...]' line, with the '\\\\' separators resolved."""
    out = []
    i = 1
    while i < len(s):
        c = s[i]
        if c == "]":
            break
        if c == "\\" and i + 1 < len(s):
            n = s[i + 1]
            if n == "\\":
                out.append("\\")
                i += 2
                continue
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", s[i + 2:])
                if m:
                    out.append(chr(int(m.group(0), 16)))
                    i += 2 + len(m.group(0))
                    continue
            out.append(n)
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def parse_reg_text(text, root):
    """Parses Wine's saved hive files and regedit exports.

    Returns {key path (with `root` in front, original case): {value name: RegValue}}.
    The default value has the name "". Key paths in the text are relative to `root`
    for Wine's own files and absolute (HKEY_...) for regedit exports.
    """
    keys = {}
    current = None
    # Join continuation lines of hex data.
    lines = []
    pending = ""
    for raw in text.splitlines():
        line = raw.rstrip("\r")
        if pending:
            line = pending + line.lstrip()
            pending = ""
        if line.endswith("\\") and re.search(r"=\s*hex(\([0-9a-fA-F]+\))?:", line):
            pending = line[:-1]
            continue
        lines.append(line)
    if pending:
        lines.append(pending)

    long_roots = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU",
                  "HKEY_USERS": "HKU", "HKEY_CLASSES_ROOT": "HKCR"}
    # Wine's own files escape key names ("\\" between keys); regedit exports do not.
    escaped_keys = text.lstrip("\ufeff").startswith("WINE REGISTRY")
    for line in lines:
        if not line or line[0] in ";#":
            continue
        if line.startswith("["):
            if escaped_keys:
                name = _parse_key_name(line)
            else:
                name = line[1:line.rindex("]")] if "]" in line else line[1:]
            first = name.split("\\", 1)[0]
            if first in long_roots:
                rest = name[len(first):]
                name = long_roots[first] + rest
            elif root:
                name = root + "\\" + name
            current = keys.setdefault(name, {})
            continue
        if current is None or line.startswith(("WINE REGISTRY", "Windows Registry", "REGEDIT")):
            continue
        if line.startswith("@="):
            vname, rest = "", line[2:]
        elif line.startswith('"'):
            vname, end = _unescape_reg_string(line, 1)
            if end >= len(line) or line[end] != "=":
                continue
            rest = line[end + 1:]
        else:
            continue
        current[vname] = _parse_reg_data(rest)
    return keys


def _parse_reg_data(rest):
    if rest.startswith('"'):
        text, _ = _unescape_reg_string(rest, 1)
        return RegValue(RegValue.REG_SZ, (text + "\0").encode("utf-16-le"))
    m = re.match(r"str\(([0-9a-fA-F]+)\):\"", rest)
    if m:
        text, _ = _unescape_reg_string(rest, m.end())
        return RegValue(int(m.group(1), 16), (text + "\0").encode("utf-16-le"))
    if rest.startswith("dword:"):
        return RegValue(RegValue.REG_DWORD, int(rest[6:14], 16).to_bytes(4, "little"))
    m = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:", rest)
    if m:
        type_ = int(m.group(1), 16) if m.group(1) else RegValue.REG_BINARY
        hexpart = re.sub(r"[^0-9a-fA-F,]", "", rest[m.end():])
        data = bytes(int(b, 16) for b in hexpart.split(",") if b)
        return RegValue(type_, data)
    return RegValue(0, rest.encode())


class Registry:
    """A read-only view of a prefix's registry; key paths are matched case-insensitively."""

    def __init__(self, keys):
        self.keys = keys
        self._index = {k.lower(): k for k in keys}

    def key(self, path):
        """Values of a key, or None when the key does not exist."""
        real = self._index.get(_norm_key(path).lower())
        return None if real is None else self.keys[real]

    def value(self, path, name):
        """A value's RegValue, or None."""
        values = self.key(path)
        if values is None:
            return None
        for vname, v in values.items():
            if vname.lower() == name.lower():
                return v
        return None

    def flat(self):
        """{(key, value name): RegValue} for diffs; every key also appears as (key, None)."""
        out = {}
        for k, values in self.keys.items():
            out[(k, None)] = None
            for vname, v in values.items():
                out[(k, vname)] = v
        return out


def _norm_key(path):
    for long, short in (("HKEY_LOCAL_MACHINE", "HKLM"), ("HKEY_CURRENT_USER", "HKCU"),
                        ("HKEY_USERS", "HKU")):
        if path.upper().startswith(long):
            path = short + path[len(long):]
    return path.strip("\\")


def _escape_reg_string(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def add_user_values(prefix, key, values):
    """Adds string values under a key of HKEY_CURRENT_USER in the saved hive of a
    prefix whose wineserver is not running; the server loads them when it starts.

    key: relative to HKCU ("Software\\Wine"); values: {name: text}."""
    lines = ["", "[%s] 0" % _escape_reg_string(key)]
    lines += ['"%s"="%s"' % (_escape_reg_string(n), _escape_reg_string(v))
              for n, v in values.items()]
    with open(os.path.join(prefix, "user.reg"), "a", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def load_prefix_registry(prefix):
    """Parses system.reg, user.reg and userdef.reg of a prefix whose wineserver has saved them."""
    keys = {}
    for fname, root in (("system.reg", "HKLM"), ("user.reg", "HKCU"),
                        ("userdef.reg", r"HKU\.Default")):
        path = os.path.join(prefix, fname)
        if os.path.exists(path):
            with open(path, encoding="utf-8", errors="surrogateescape") as f:
                keys.update(parse_reg_text(f.read(), root))
    return Registry(keys)


# ---------------------------------------------------------------------------
# Profiles (INI files)


def profile_text(sections):
    """An INI file's text, CRLF-terminated: {section: {key: value}} in order."""
    text = ""
    for section, entries in sections.items():
        text += "[%s]\r\n" % section
        for k, v in entries.items():
            text += "%s=%s\r\n" % (k, v)
    return text


def parse_profile(data):
    """{section: {key: value}} of an INI file's bytes or text, names as written."""
    if isinstance(data, bytes):
        data = data.decode("latin-1")
    sections = {}
    current = None
    for raw in data.splitlines():
        line = raw.strip()
        if line.startswith("[") and "]" in line:
            current = sections.setdefault(line[1:line.index("]")], {})
        elif "=" in line and current is not None:
            k, v = line.split("=", 1)
            current[k] = v
    return sections


def read_profile(path):
    """{section: {key: value}} of an INI file on the host, names as written."""
    with open(path, "rb") as f:
        return parse_profile(f.read())


def profile_value(data, section, key):
    """A value of an INI file's bytes or text, names matched case-insensitively; or None."""
    for sname, entries in parse_profile(data).items():
        if sname.lower() == section.lower():
            for k, v in entries.items():
                if k.strip().lower() == key.lower():
                    return v.strip()
    return None


# ---------------------------------------------------------------------------
# File trees and snapshots


def file_tree(root, skip=()):
    """{relative path with '/' : (size, sha1)} of the files under root; symlinks are not followed."""
    out = {}
    for dirpath, dirnames, filenames in os.walk(root):
        rel_dir = os.path.relpath(dirpath, root)
        dirnames[:] = [d for d in dirnames
                       if not os.path.islink(os.path.join(dirpath, d)) and
                       os.path.normpath(os.path.join(rel_dir, d)).lower() not in skip]
        for name in filenames:
            p = os.path.join(dirpath, name)
            if os.path.islink(p):
                continue
            rel = os.path.normpath(os.path.join(rel_dir, name))
            if rel.lower() in skip:
                continue
            st = os.stat(p)
            out[rel] = (st.st_size, file_sha1(p))
    return out


class Snapshot:
    def __init__(self, registry, files):
        self.registry = registry
        self.files = files


def diff_snapshots(before, after):
    """Changes between two snapshots as a dict of lists of tuples."""
    rb, ra = before.registry.flat(), after.registry.flat()

    def order(k):  # by key, the key itself before its values
        return (k[0].lower(), k[1] is not None, (k[1] or "").lower())

    reg_added = sorted((k for k in ra if k not in rb), key=order)
    reg_removed = sorted((k for k in rb if k not in ra), key=order)
    reg_changed = sorted((k for k in ra if k in rb and ra[k] != rb[k]), key=order)
    fb, fa = before.files, after.files
    return {
        "registry_added": [(k, ra[k]) for k in reg_added],
        "registry_removed": [(k, rb[k]) for k in reg_removed],
        "registry_changed": [(k, rb[k], ra[k]) for k in reg_changed],
        "files_added": sorted(k for k in fa if k not in fb),
        "files_removed": sorted(k for k in fb if k not in fa),
        "files_changed": sorted(k for k in fa if k in fb and fa[k] != fb[k]),
    }


