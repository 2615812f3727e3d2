#include "frame_benchmark_spawn.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

static std::string fileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

[[noreturn]] static void failRun(const std::vector<std::string>& arguments, const std::string& why,
                                 const std::string& errors)
{
    std::fprintf(stderr, "%sframe_benchmark: %s %s\n", errors.c_str(), arguments[0].c_str(), why.c_str());
    std::exit(1);
}

// glibc's malloc moves its mmap and trim thresholds to the sizes it sees freed.
// The software renderer allocates and frees buffers of megabytes every frame,
// and where the thresholds happen to settle decides whether each frame hands
// that memory back to the kernel and faults it in again: a floor run took
// 290 ms a frame or 95 ms on the same points, from that alone. Fixed
// thresholds (the highest mmap threshold glibc takes, and no trimming) give
// both pipelines the same allocator in every run.
std::string holdChildAllocatorThresholds()
{
    const std::string fixed = "glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=2147483647";
    const char* before = std::getenv("GLIBC_TUNABLES");
    const std::string tunables = before && *before ? std::string(before) + ":" + fixed : fixed;
    setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
    return "GLIBC_TUNABLES=" + tunables;
}

ChildRun runChild(const std::vector<std::string>& arguments, const std::string& directory)
{
    const std::string outputPath = directory + "/stdout.txt", errorPath = directory + "/stderr.txt";
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        failRun(arguments, "could not be started: fork failed", "");
    if (child == 0) {
        const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errors = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (output < 0 || errors < 0 || chdir(directory.c_str()) != 0 || dup2(output, STDOUT_FILENO) < 0 ||
            dup2(errors, STDERR_FILENO) < 0)
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage = {};
    if (wait4(child, &status, 0, &usage) != child)
        failRun(arguments, "was lost: wait4 failed", "");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        failRun(arguments,
                WIFEXITED(status) ? "ended with status " + std::to_string(WEXITSTATUS(status))
                                  : "was killed by signal " + std::to_string(WTERMSIG(status)),
                fileText(errorPath));
    return {fileText(outputPath), double(usage.ru_maxrss) / 1024.0};
}
