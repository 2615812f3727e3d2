#!/usr/bin/python3
"""Stops the build when copies of a GLSL function in the effect files drift apart.

    check_shared_shader_functions.py STAMP FILE:SECTION... [--copies FILE:SECTION...]

Every function but main that two of the named sections define must read the
same in both, and two sections of the same name must define the same
functions. The browser's Particle.VS is the desktop's with other outputs,
and tf.VS sets the lifetime that Particle.VS fades particles by; the store
has no way for one section to use another's code. A section named after
--copies borrows only some functions (the benchmark's floor places its points
with the demo's birth layout): each of its functions must be defined, the
same, by a section named before it. Touches STAMP when all agree.
"""

import re
import sys

# A definition starts at the left margin: return type, name, parameters.
SIGNATURE = re.compile(r"^[A-Za-z_]\w*\s+([A-Za-z_]\w*)\s*\([^;]*$")


def section_lines(path, name):
    """(line number, line) of the last section called name, as the store
    slices the file: a line starting "--" opens the section its first run of
    name characters names, or closes the section when there is none."""
    found, current = None, None
    with open(path, encoding="utf-8") as file:
        for number, line in enumerate(file, 1):
            if line.startswith("--"):
                header = re.match(r"[^A-Za-z0-9_.]*([A-Za-z0-9_.]*)", line[2:]).group(1)
                current = [] if header == name else None
                if current is not None:
                    found = current
            elif current is not None:
                current.append((number, line.rstrip()))
    if found is None:
        sys.exit(f"{path}: no section {name}")
    return found


def functions(lines):
    """Name -> (first line number, text) of each function the section defines."""
    defined, index = {}, 0
    while index < len(lines):
        match = SIGNATURE.match(lines[index][1])
        if not match:
            index += 1
            continue
        start, depth, seen = index, 0, False
        while index < len(lines):
            text = lines[index][1]
            depth += text.count("{") - text.count("}")
            seen = seen or "{" in text
            index += 1
            if seen and depth == 0:
                break
        defined[match.group(1)] = (lines[start][0], "\n".join(text for _, text in lines[start:index]))
    defined.pop("main", None)
    return defined


def differing(path, name, ours, other_path, other_name, theirs):
    """A fault for every function two sections define that reads otherwise in one."""
    return [f"{path}:{ours[function][0]}: function {function} of section {name} differs from its copy in "
            f"{other_name} at {other_path}:{theirs[function][0]}"
            for function in sorted(ours.keys() & theirs.keys()) if ours[function][1] != theirs[function][1]]


def main(arguments):
    if len(arguments) < 3:
        sys.exit(__doc__)
    stamp, owning, borrowing = arguments[0], arguments[1:], []
    if "--copies" in owning:
        split = owning.index("--copies")
        owning, borrowing = owning[:split], owning[split + 1:]
    defined = [(path, name, functions(section_lines(path, name)))
               for path, name in (argument.rsplit(":", 1) for argument in owning)]
    faults = []
    for index, (path, name, ours) in enumerate(defined):
        for other_path, other_name, theirs in defined[:index]:
            if name == other_name:
                shared = ours.keys() & theirs.keys()
                for function in sorted(ours.keys() ^ theirs.keys()):
                    lacking = other_path if function in ours else path
                    faults.append(f"{lacking}: section {name} lacks function {function}, which the "
                                  f"other {name} defines")
                if not shared:
                    faults.append(f"{path}: section {name} shares no function with {other_path}'s")
            faults += differing(path, name, ours, other_path, other_name, theirs)
    for path, name in (argument.rsplit(":", 1) for argument in borrowing):
        ours = functions(section_lines(path, name))
        for function in sorted(ours.keys() - set().union(*(theirs.keys() for _, _, theirs in defined))):
            faults.append(f"{path}:{ours[function][0]}: function {function} of section {name} is a copy of "
                          f"none that the other sections define")
        for other_path, other_name, theirs in defined:
            faults += differing(path, name, ours, other_path, other_name, theirs)
    if faults:
        sys.exit("\n".join(faults) + "\nthe copies of a shared shader function must read the same")
    open(stamp, "w").close()


if __name__ == "__main__":
    main(sys.argv[1:])
