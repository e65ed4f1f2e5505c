#!/usr/bin/env python3
"""The include graph of src/ against the layers: every #include "..." of a
source or header must name a header of its own layer or of a layer below it.

The build already refuses an include of a header its library does not link;
this check also catches what the compiler lets through: a path with ".."
and a layer that links more than it should. Each folder below src/ is one
layer (writers/poser and writers/gltf are layers of their own).

The operating system's own headers (<sys/stat.h>, <windows.h>, <filesystem>
...) belong to the platform layer and the front ends: the libraries reach
the system through the platform's functions, so each system call has one
place with a POSIX and a Windows version.

usage: check.py SRC_DIR   (exit status 1 and one line per fault)
"""
import os
import re
import sys

# Which layers each layer may include, itself included.
BELOW = {
    "base": {"base"},
    "geometry": {"geometry", "base"},
    "model": {"model", "geometry", "base"},
    "angles": {"angles", "model", "geometry", "base"},
    "writers": {"writers", "base"},
    "poser": {"poser", "writers", "angles", "model", "geometry", "base"},
    "gltf": {"gltf", "writers", "angles", "model", "geometry", "base"},
    "platform": {"platform", "base"},
    "job": {"job", "poser", "gltf", "writers", "angles", "model", "geometry", "platform", "base"},
    "import": {"import", "model", "geometry", "platform", "base"},
    "cli": {"cli", "job", "import", "platform", "base"},
    "shell": {"shell", "job", "import", "platform", "base"},
}


# The layers that may include the operating system's headers.
SYSTEM = {"platform", "shell"}

# The headers of system calls, POSIX and Windows, and the C++ library's
# file system.
SYSTEMHEADER = re.compile(
    r"^(sys/.*|fcntl\.h|unistd\.h|dirent\.h|poll\.h|termios\.h|dlfcn\.h|pthread\.h|io\.h|direct\.h"
    r"|share\.h|process\.h|windows\.h|winbase\.h|shlobj\.h|shellapi\.h|commdlg\.h|filesystem"
    r"|experimental/filesystem)$")


def layer(relative):
    """The layer of a path below src/ ("model/reader.h")."""
    parts = relative.split("/")
    if parts[0] == "writers" and len(parts) > 2:
        return parts[1]
    return parts[0]


INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
ANGLED = re.compile(r"^\s*#\s*include\s+<([^>]+)>")


def faults(src):
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".rc")):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, src).replace(os.sep, "/")
            mine = layer(relative)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    angled = ANGLED.match(line)
                    if angled and mine not in SYSTEM and SYSTEMHEADER.match(angled.group(1).lower()):
                        yield (f"src/{relative}:{number}: <{angled.group(1)}>: {mine} may not include "
                               "the system's headers (the platform layer's functions do its calls)")
                        continue
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = m.group(1)
                    where = f"src/{relative}:{number}: {target}"
                    if ".." in target.split("/"):
                        yield f"{where}: a path with '..' goes around the layers"
                        continue
                    if "/" in target:
                        named = target
                    else:
                        # A bare name is a file beside this one (the version
                        # header configured into base aside).
                        named = os.path.dirname(relative) + "/" + target
                        if not os.path.exists(os.path.join(src, named)):
                            continue
                    if not os.path.exists(os.path.join(src, named)) and named != "base/version.h":
                        yield f"{where}: no such header in src/"
                        continue
                    theirs = layer(named)
                    if theirs not in BELOW[mine]:
                        yield f"{where}: {mine} may not include {theirs}"


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    found = list(faults(sys.argv[1]))
    for fault in found:
        print(fault)
    print(f"layering: {len(found)} include(s) against the layers")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
