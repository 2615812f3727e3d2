#!/usr/bin/python3
"""tools/check_shared_shader_functions.py with a section that borrows only some
functions (after --copies, as the benchmark's floor borrows tf.VS's birth
layout): copies that read the same pass, and each way a copy can drift stops
the build with the function named.

    dev_shared_shader_copies.py SOURCE_ROOT
"""

import os
import subprocess
import sys
import tempfile

from checks import expect, outcome

OWNER = """-- tf.VS
uint hash(uint x)
{
    return x * 3u;
}

vec3 place(uint id)
{
    return vec3(float(hash(id)));
}

void main()
{
}
"""

# The borrowing section's functions, and the phrase of the fault each must
# give (None: accepted).
CASES = [
    ("copies of some, the same", "uint hash(uint x)\n{\n    return x * 3u;\n}\n", None),
    ("a copy that drifted", "uint hash(uint x)\n{\n    return x * 5u;\n}\n", "function hash of section tf.VS differs"),
    ("a function the owner lacks", "uint seed(uint x)\n{\n    return x;\n}\n",
     "function seed of section tf.VS is a copy of none"),
]


def check(root):
    script = os.path.join(root, "tools", "check_shared_shader_functions.py")
    with tempfile.TemporaryDirectory(prefix="vanteel-copies-") as directory:
        owner = os.path.join(directory, "owner.glsl")
        with open(owner, "w", encoding="utf-8") as file:
            file.write(OWNER)
        for what, functions, fault in CASES:
            borrower, stamp = os.path.join(directory, "borrower.glsl"), os.path.join(directory, "stamp")
            with open(borrower, "w", encoding="utf-8") as file:
                file.write(f"-- tf.VS\n{functions}\nvoid main()\n{{\n}}\n")
            if os.path.exists(stamp):
                os.unlink(stamp)
            result = subprocess.run([sys.executable, script, stamp, f"{owner}:tf.VS", "--copies", f"{borrower}:tf.VS"],
                                    capture_output=True, text=True)
            if fault is None:
                expect(result.returncode == 0 and os.path.exists(stamp), f"{what}: refused: {result.stderr}")
            else:
                expect(result.returncode != 0 and fault in result.stderr and not os.path.exists(stamp),
                       f"{what}: status {result.returncode}, not refused with '{fault}': {result.stderr}")


def main(arguments):
    if len(arguments) != 1:
        sys.exit(__doc__)
    return outcome(lambda: check(arguments[0]))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
