"""How a driver reports: a broken expectation raises Failure, and outcome()
turns a driver's run into the exit status ctest reads."""

import sys

# ctest reads this status as "skipped" (SKIP_RETURN_CODE).
SKIPPED = 77


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def outcome(run):
    """run()'s own status (SKIPPED, say), or 0 when it returns none; 1, with
    the reason on standard error, when it fails."""
    try:
        return run() or 0
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
