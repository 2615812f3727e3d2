#pragma once

#include <cstdint>

// Notices that the effect file was saved, by its modification time and size,
// looking at most a few times a second. Makes no allocation after the start,
// so watching costs a frame nothing but the occasional stat.
struct EffectWatch {
    const char* path; // borrowed: the string must outlive the watch
    bool exists;
    int64_t size;
    int64_t modifiedNanoseconds;
    int64_t nextLookMicroseconds;
};

// Takes the file's present state as the one to compare against.
EffectWatch startEffectWatch(const char* path, int64_t nowMicroseconds);

// Whether the file differs from the last look (time, size, or whether it
// exists); before the next look is due it answers no without looking.
bool effectFileChanged(EffectWatch* watch, int64_t nowMicroseconds);

// How long a look holds: a save shows up within this much time.
constexpr int64_t EffectWatchIntervalMicroseconds = 250000;
