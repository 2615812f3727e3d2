#!/usr/bin/python3
"""Damaged effect files, made from the real one so that each differs from a
working file in exactly one way.

    effect_file_variants.py REAL_EFFECT_FILE SEED_FOLDER

writes the real file and every small variant of it into SEED_FOLDER: the
start-up fuzz target's seeds that follow the real file (the build runs this).
"""

import os
import random
import sys

# The sections the demo asks for, in the order it builds them, with the stage
# name its message uses when one is missing.
DEMO_SECTIONS = (
    ("Composite.VS", "vertex"), ("Composite.FS", "fragment"),
    ("Particle.VS", "vertex"), ("Particle.FS", "fragment"), ("Particle.GS", "geometry"),
    ("tf.VS", "vertex"),
)


def missing_message(section):
    stage = dict(DEMO_SECTIONS)[section]
    return f"Can't find {stage} shader: Shaders.{section}\n"


def is_dashes(line):
    return line.startswith(b"--")


def section_name(line):
    """The name a header line opens, as the store reads it; b"" for a closing line."""
    rest = line[2:]
    start = 0
    while start < len(rest) and not is_name_byte(rest[start]):
        start += 1
    end = start
    while end < len(rest) and is_name_byte(rest[end]):
        end += 1
    return rest[start:end]


def is_name_byte(byte):
    return chr(byte).isascii() and (chr(byte).isalnum() or byte in b"_.")


def header_index(lines, name):
    for index, line in enumerate(lines):
        if is_dashes(line) and section_name(line) == name.encode():
            return index
    raise ValueError(f"the effect file has no section {name}")


def body_range(lines, name):
    """The line numbers of a section's body: after its header, up to the next
    header or closing line."""
    first = header_index(lines, name) + 1
    last = first
    while last < len(lines) and not is_dashes(lines[last]):
        last += 1
    return first, last


def without_section(text, name):
    lines = text.split(b"\n")
    header = header_index(lines, name)
    _, end = body_range(lines, name)
    return b"\n".join(lines[:header] + lines[end:])


def with_body(text, name, body):
    lines = text.split(b"\n")
    first, end = body_range(lines, name)
    return b"\n".join(lines[:first] + body.split(b"\n") + lines[end:])


def with_header(text, name, header):
    lines = text.split(b"\n")
    lines[header_index(lines, name)] = header
    return b"\n".join(lines)


def with_byte_inside_body(text, name, byte):
    """The byte goes into the middle of the section's code, so the text the
    compiler gets stops or breaks half-way through a function."""
    lines = text.split(b"\n")
    first, end = body_range(lines, name)
    middle = (first + end) // 2
    lines[middle] = lines[middle][: len(lines[middle]) // 2] + byte + lines[middle][len(lines[middle]) // 2:]
    return b"\n".join(lines)


def garbage(size, seed):
    return random.Random(seed).randbytes(size)


def garbage_bodies(text, seed):
    """The real headers, every body replaced by binary garbage without line
    feeds or header-like lines."""
    generator = random.Random(seed)
    for name, _ in DEMO_SECTIONS:
        noise = b" " + bytes(generator.choice(range(256)) for _ in range(200)).replace(b"\n", b" ")
        text = with_body(text, name, noise)
    return text


def carriage_returns(text):
    return text.replace(b"\n", b"\r\n")


# Only the compiler's own log can hold these: printed through a format they
# would be read as conversions (and "%n" would write through a garbage pointer).
PERCENT_TEXT = b"100% broken: %s %d %n %%"


def compile_error(text):
    return with_body(text, "Particle.FS", b"#error " + PERCENT_TEXT + b"\nvoid main() {}\n")


def link_error(text):
    """Compiles on its own, but no stage of the particle program has main()
    for the fragments."""
    return with_body(text, "Particle.FS", b"out vec4 FragColor;\nvoid notMain() { FragColor = vec4(1.0); }\n")


def high_bytes_in_names(text):
    """UTF-8 and Latin-1 bytes before, inside and after section names: a name
    ends at the first such byte, and the demo's keys still find their sections
    by longest prefix."""
    text = with_header(text, "Composite.VS", b"-- \xc3\xa9Composite.VS")
    text = with_header(text, "Particle.GS", b"--Particle.GS\xff tail")
    return with_header(text, "tf.VS", b"--tf\xe9.VS")


def high_bytes_only_name(text):
    """A header with nothing but bytes above 0x7F names no section: it closes."""
    return with_header(text, "Composite.VS", b"--\xc3\xa9\xc3\xa8\xff")


SMALL_VARIANTS = {
    "garbage_bodies": lambda text: garbage_bodies(text, 2),
    "nul_in_section": lambda text: with_byte_inside_body(text, "Composite.VS", b"\0"),
    "carriage_returns": carriage_returns,
    "compile_error": compile_error,
    "link_error": link_error,
    "high_bytes_in_names": high_bytes_in_names,
    "high_bytes_only_name": high_bytes_only_name,
    **{f"without_{name.replace('.', '_')}": (lambda text, name=name: without_section(text, name))
       for name, _ in DEMO_SECTIONS},
}


def main(arguments):
    if len(arguments) != 2:
        sys.exit(__doc__)
    with open(arguments[0], "rb") as real:
        text = real.read()
    os.makedirs(arguments[1], exist_ok=True)
    with open(os.path.join(arguments[1], "real"), "wb") as seed:
        seed.write(text)
    for name, make in SMALL_VARIANTS.items():
        with open(os.path.join(arguments[1], name), "wb") as seed:
            seed.write(make(text))


if __name__ == "__main__":
    main(sys.argv[1:])
