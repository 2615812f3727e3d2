#pragma once

// Reads the problems a GLSL compiler or linker lists in its info log, one a
// line, in the forms the demo's hosts meet:
//   0:12(5): error: message      Mesa
//   ERROR: 0:12: message         ANGLE, under WebGL (and WARNING:)
//   0(12) : error C0000: message NVIDIA
// Nothing is allocated: the message points into the log.

struct InfoLogProblem {
    // The source line the log names; 0 when it names none.
    int line;
    // Printed in front of message to give the problem's kind where the log
    // gave it in its prefix ("error: ", "warning: "); "" otherwise.
    const char* kind;
    // The rest of the log's line, its line end excluded.
    const char* message;
    int messageLength;
};

// Reads the first problem in log[0, length), passing over blank lines.
// Returns the bytes it took, up to and including its line feed; 0 when the
// log holds no problem (then *problem is left as it was).
int readInfoLogProblem(const char* log, int length, InfoLogProblem* problem);
