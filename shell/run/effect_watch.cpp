#include "shell/run/effect_watch.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

struct FileState {
    bool exists;
    int64_t size;
    int64_t modifiedNanoseconds;
};

FileState lookAt(const char* path)
{
#if defined(_WIN32)
    // Not _stat64, whose whole seconds would miss a second save of the same
    // size within one second: the file time counts 100 ns units from 1601.
    constexpr int64_t UnitsFrom1601To1970 = 116444736000000000;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes))
        return {false, 0, 0};
    int64_t size = int64_t(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow;
    const FILETIME& written = attributes.ftLastWriteTime;
    int64_t modified = int64_t(written.dwHighDateTime) << 32 | written.dwLowDateTime;
    return {true, size, (modified - UnitsFrom1601To1970) * 100};
#else
    struct stat status;
    if (stat(path, &status) != 0)
        return {false, 0, 0};
    return {true, int64_t(status.st_size), int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
#endif
}

} // namespace

EffectWatch startEffectWatch(const char* path, int64_t nowMicroseconds)
{
    FileState state = lookAt(path);
    int64_t nextLook = nowMicroseconds + EffectWatchIntervalMicroseconds;
    return {path, state.exists, state.size, state.modifiedNanoseconds, nextLook};
}

bool effectFileChanged(EffectWatch* watch, int64_t nowMicroseconds)
{
    if (nowMicroseconds < watch->nextLookMicroseconds)
        return false;
    watch->nextLookMicroseconds = nowMicroseconds + EffectWatchIntervalMicroseconds;
    FileState state = lookAt(watch->path);
    bool changed = state.exists != watch->exists || state.size != watch->size ||
        state.modifiedNanoseconds != watch->modifiedNanoseconds;
    watch->exists = state.exists;
    watch->size = state.size;
    watch->modifiedNanoseconds = state.modifiedNanoseconds;
    return changed;
}
