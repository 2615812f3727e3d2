#!/usr/bin/python3
"""Keeps each folder of the product to the layers it may use, by the project
includes of its C++ files; the build runs it, and stops on a crossing.

    check_layers.py SOURCE_ROOT STAMP

Every project include names its folder from the root ("shell/run/frame_loop.h").
The rules, from the bottom up:
- shaderstore/ uses nothing else of the project;
- demo/ uses the store's public header and the diagnostics, never the host;
- shell/diagnostics/ and its header use nothing but themselves;
- shell/run/ (what every host shares) uses the contract, the diagnostics and
  the scene; its vanteel_demo.cpp alone fills in the demo's record and so
  reaches the demo's entry points;
- each platform folder (glfw/, win32/, web/) uses itself, shell/run/, the
  contract and the diagnostics, never another platform or the demo's insides.
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
HOST_SIDE = ("shell/host.h", "shell/diagnostics.h", "shell/diagnostics/", "shell/run/", "demo/scene.h",
             "demo/vector_math.h")
PLATFORMS = ("glfw", "win32", "web")


def allowed(source, header):
    if source.startswith("shaderstore/"):
        return header.startswith("shaderstore/")
    if source.startswith("demo/"):
        return header.startswith("demo/") or header in ("shaderstore/shaderstore.h", "shell/diagnostics.h")
    if source == "shell/diagnostics.h" or source.startswith("shell/diagnostics/"):
        return header == "shell/diagnostics.h" or header.startswith("shell/diagnostics/")
    if source == "shell/host.h":
        return header in ("demo/scene.h",)
    if source == "shell/run/vanteel_demo.cpp":
        return header.startswith("demo/") or header.startswith("shell/")
    if source.startswith("shell/run/"):
        return header.startswith(HOST_SIDE)
    for platform in PLATFORMS:
        if source.startswith(f"shell/{platform}/"):
            return header.startswith(HOST_SIDE) or header.startswith(f"shell/{platform}/")
    return False


def crossings(root):
    for folder in ("shaderstore", "demo", "shell"):
        for directory, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(directory, name)
                source = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8") as stream:
                    for header in INCLUDE.findall(stream.read()):
                        if not os.path.isfile(os.path.join(root, header)):
                            yield f"{source}: \"{header}\" does not name its folder from the project root"
                        elif not allowed(source, header):
                            yield f"{source}: may not include \"{header}\""


def main(arguments):
    if len(arguments) != 2:
        sys.exit(__doc__)
    found = list(crossings(arguments[0]))
    for line in found:
        print(f"check_layers: {line}", file=sys.stderr)
    if found:
        return 1
    with open(arguments[1], "w"):
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
