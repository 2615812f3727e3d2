#!/usr/bin/python3
"""The soak's verdict on the heap, on made-up runs: a leak grows the heap in
every measured round, a working set settles. Guards a verdict that passes a
steady leak of 4 KiB a frame, or fails a renderer whose working set steps up
once, in any round."""

import random
import sys

from checks import Failure
from reliability_soak import LEAK_KB_PER_FRAME, check_heap

ROUND_FRAMES = 1000
ROUNDS = [ROUND_FRAMES * index for index in range(1, 6)]


def run(leak_kb_per_frame=0.0, steps=(), noise_kb=300, rounds=ROUNDS):
    """One sample a frame across the rounds: a base heap, noise of a frame's
    own, a working set that steps by kB at each (frame, kB) of steps, and a
    leak."""
    generator = random.Random(7)
    samples = []
    for frame in range(rounds[0] - 50, rounds[-1] + 1):
        kb = 30000 + generator.uniform(-noise_kb, noise_kb) + leak_kb_per_frame * frame
        kb += sum(step_kb for step_at, step_kb in steps if frame >= step_at)
        samples.append((frame, int(kb * 1024)))
    return samples


def fails(samples, rounds=ROUNDS):
    try:
        check_heap(samples, rounds)
    except Failure as failure:
        return str(failure)
    return None


CASES = [
    # (what, samples, rounds, whether the verdict is a failure)
    ("a flat heap", run(), ROUNDS, False),
    ("a working set that steps up in the first round", run(steps=[(1500, 4000)]), ROUNDS, False),
    ("a working set that steps up in the last round", run(steps=[(4500, 4000)]), ROUNDS, False),
    ("a working set that steps up twice", run(steps=[(2500, 4000), (4500, 4000)]), ROUNDS, False),
    ("a leak of 4 KiB a frame", run(leak_kb_per_frame=4), ROUNDS, True),
    ("a leak of 16 KiB a frame", run(leak_kb_per_frame=16), ROUNDS, True),
    ("a leak just at the bound", run(leak_kb_per_frame=LEAK_KB_PER_FRAME, noise_kb=0), ROUNDS, True),
    ("growth just under the bound", run(leak_kb_per_frame=LEAK_KB_PER_FRAME * 0.9, noise_kb=0), ROUNDS, False),
    ("two measured rounds only", run(leak_kb_per_frame=4), ROUNDS[:3], True),
    ("a round the probe saw no frame of", [s for s in run() if not 2000 < s[0] <= 3000], ROUNDS, True),
]


def main():
    failures = []
    for what, samples, rounds, expected in CASES:
        verdict = fails(samples, rounds)
        if (verdict is not None) != expected:
            failures.append(f"{what}: {'passed' if verdict is None else 'failed: ' + verdict}, "
                            f"expected {'a failure' if expected else 'a pass'}")
    for failure in failures:
        print(f"FAILED: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
