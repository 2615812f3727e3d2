#pragma once

#include <string>
#include <vector>

// Records each write to the debugger output channel separately, so a test
// can assert what was reported and in how many writes.
struct DebugCapture {
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    const std::vector<std::string>& writes() const;
};
