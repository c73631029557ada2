#!/usr/bin/env python3
"""Checks a Windows program's version resource and headers: the name and
version that Explorer shows in its properties, the description that Task
Manager shows, and Vista (6.0) as the oldest system it runs on.

    windows_version.py die_roll.exe VERSION
"""
import re
import struct
import sys


def main(path, version):
    data = open(path, "rb").read()
    # The fixed part of the version resource follows its signature.
    at = data.index(struct.pack("<I", 0xFEEF04BD))
    fixed = struct.unpack_from("<4I", data, at + 8)
    for ms, ls in (fixed[0:2], fixed[2:4]):
        assert f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}" == version + ".0", (ms, ls)
    # The strings are UTF-16, each value after its name and padding.
    text = data.decode("utf-16-le", "replace")
    for name, value in (("ProductName", "die_roll"), ("FileVersion", version),
                        ("ProductVersion", version), ("OriginalFilename", "die_roll.exe")):
        assert re.search(name + "\0+" + re.escape(value) + "\0", text), (name, value)
    description = re.search("FileDescription\0+([^\0]*)\0", text).group(1)
    assert 0 < len(description) <= 40, description
    # The optional header's operating system and subsystem versions.
    header = struct.unpack_from("<I", data, 0x3C)[0] + 24
    versions = struct.unpack_from("<6H", data, header + 40)
    assert versions[0:2] == (6, 0) and versions[4:6] == (6, 0), versions
    print(path, "is die_roll", version)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
