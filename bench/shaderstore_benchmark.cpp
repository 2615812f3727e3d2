// The effect-file store on a 1 MB effect file of 2,000 sections, and the byte
// string operations it leans on next to the same work done with std::string.
//
// The store is process-wide and slices an effect only on its first request, so
// slicing is timed in a forked child that makes that first request on a copy
// of the process, which the parent then throws away: every iteration slices
// the whole file and the parent's store never grows.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "shaderstore/bytestring.h"
#include "shaderstore/shaderstore.h"

namespace {

constexpr int SectionCount = 2000;
constexpr size_t EffectBytes = 1 << 20;
constexpr int LookupCount = 10000;
const char* const Stages[] = {"VS", "GS", "FS"};

std::string sectionName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "Pass%04d.%s", index, Stages[index % 3]);
    return name;
}

// GLSL-like lines under "--" headers, each section about 1/2,000 of a megabyte.
std::string makeEffectText()
{
    std::string text;
    const size_t sectionBytes = EffectBytes / SectionCount;
    for (int section = 0; section < SectionCount; ++section) {
        const size_t start = text.size();
        text += "--" + sectionName(section) + "\n";
        for (int line = 0; text.size() - start < sectionBytes; ++line) {
            char body[96];
            std::snprintf(body, sizeof body, "    vec4 value%d = texture(source%d, coordinate * %d.0) + offset;\n",
                          line, section, line + 1);
            text += body;
        }
        text += "--\n";
    }
    return text;
}

struct Fixture {
    std::string directory;
    std::string effectText;
};

const Fixture& fixture()
{
    static Fixture made = [] {
        Fixture f;
        char pattern[] = "/tmp/vanteel-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        f.directory = pattern;
        f.effectText = makeEffectText();
        // One copy per effect name: "Slice" is only ever loaded by the forked children.
        for (const char* effect : {"Slice", "Lookup"}) {
            std::string path = f.directory + "/" + effect + ".glsl";
            FILE* file = std::fopen(path.c_str(), "wb");
            if (file == nullptr ||
                std::fwrite(f.effectText.data(), 1, f.effectText.size(), file) != f.effectText.size() ||
                std::fclose(file) != 0) {
                std::perror(path.c_str());
                std::exit(1);
            }
        }
        shaderstore::create();
        shaderstore::addPath((f.directory + "/").c_str(), ".glsl");
        shaderstore::addDirective("*", "#version 150");
        return f;
    }();
    return made;
}

void removeFixture()
{
    const Fixture& f = fixture();
    for (const char* effect : {"Slice", "Lookup"})
        std::remove((f.directory + "/" + effect + ".glsl").c_str());
    rmdir(f.directory.c_str());
}

double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Spent {
    double wallSeconds = -1; // negative: the request failed
    double cpuSeconds = 0;
};

// The child reports how long its first request took, in wall-clock and in CPU time.
Spent timeFirstRequestInChild(const std::string& key)
{
    int channel[2];
    if (pipe(channel) != 0)
        return Spent {};
    pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const double cpuStart = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const char* text = shaderstore::getShader(key.c_str());
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        Spent spent {text != nullptr ? wall.count() : -1, processCpuSeconds() - cpuStart};
        _exit(write(channel[1], &spent, sizeof spent) == sizeof spent ? 0 : 1);
    }
    close(channel[1]);
    Spent spent;
    if (child < 0 || read(channel[0], &spent, sizeof spent) != sizeof spent)
        spent.wallSeconds = -1;
    close(channel[0]);
    int status = 0;
    if (child > 0 && (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0))
        spent.wallSeconds = -1;
    return spent;
}

void BM_SliceEffectFile(benchmark::State& state)
{
    const Fixture& f = fixture();
    const std::string key = "Slice." + sectionName(0);
    double cpuSeconds = 0;
    for (auto _ : state) {
        Spent spent = timeFirstRequestInChild(key);
        if (spent.wallSeconds < 0) {
            state.SkipWithError("the first request for the effect failed");
            return;
        }
        state.SetIterationTime(spent.wallSeconds);
        cpuSeconds += spent.cpuSeconds;
    }
    // The child's own CPU time, which the parent's CPU column cannot see.
    state.counters["child_cpu_ms"] = benchmark::Counter(cpuSeconds * 1e3 / static_cast<double>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.effectText.size()));
}
BENCHMARK(BM_SliceEffectFile)->UseManualTime()->Unit(benchmark::kMillisecond);

// What reading the same file costs on its own, for scale.
void BM_ReadEffectFileWithStdio(benchmark::State& state)
{
    const Fixture& f = fixture();
    const std::string path = f.directory + "/Slice.glsl";
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        std::string text(f.effectText.size(), '\0');
        size_t got = std::fread(&text[0], 1, text.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(got);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.effectText.size()));
}
BENCHMARK(BM_ReadEffectFileWithStdio)->Unit(benchmark::kMillisecond);

std::vector<std::string> lookupKeys()
{
    std::vector<std::string> keys;
    for (int i = 0; i < LookupCount; ++i)
        keys.push_back("Lookup." + sectionName((i * 7) % SectionCount));
    return keys;
}

void BM_GetShader10000(benchmark::State& state)
{
    fixture();
    const std::vector<std::string> keys = lookupKeys();
    for (const std::string& key : keys)
        if (shaderstore::getShader(key.c_str()) == nullptr) {
            state.SkipWithError("a section of the effect is missing");
            return;
        }
    for (auto _ : state)
        for (const std::string& key : keys)
            benchmark::DoNotOptimize(shaderstore::getShader(key.c_str()));
    state.SetItemsProcessed(state.iterations() * LookupCount);
}
BENCHMARK(BM_GetShader10000)->Unit(benchmark::kMillisecond);

// The same newest-first, longest-prefix walk over 2,000 keys, with std::string.
void BM_GetShader10000_StdString(benchmark::State& state)
{
    std::vector<std::pair<std::string, std::string>> sections;
    for (int i = SectionCount - 1; i >= 0; --i)
        sections.emplace_back("Lookup." + sectionName(i), "text");
    const std::vector<std::string> keys = lookupKeys();
    for (auto _ : state)
        for (const std::string& key : keys) {
            const std::string* best = nullptr;
            for (const auto& section : sections)
                if (key.compare(0, section.first.size(), section.first) == 0 &&
                    (best == nullptr || section.first.size() > best->size()))
                    best = &section.first;
            benchmark::DoNotOptimize(best);
        }
    state.SetItemsProcessed(state.iterations() * LookupCount);
}
BENCHMARK(BM_GetShader10000_StdString)->Unit(benchmark::kMillisecond);

constexpr int AppendCount = 1 << 20;

void BM_AppendChar_ByteString(benchmark::State& state)
{
    for (auto _ : state) {
        ByteString* text = bytestring::fromCString("");
        for (int i = 0; i < AppendCount; ++i)
            bytestring::appendChar(text, static_cast<char>('a' + (i & 15)));
        benchmark::DoNotOptimize(text->data);
        bytestring::destroy(text);
    }
    state.SetItemsProcessed(state.iterations() * AppendCount);
}
BENCHMARK(BM_AppendChar_ByteString)->Unit(benchmark::kMillisecond);

void BM_AppendChar_StdString(benchmark::State& state)
{
    for (auto _ : state) {
        std::string text;
        for (int i = 0; i < AppendCount; ++i)
            text.push_back(static_cast<char>('a' + (i & 15)));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * AppendCount);
}
BENCHMARK(BM_AppendChar_StdString)->Unit(benchmark::kMillisecond);

constexpr int ConcatenateCount = 10000;
const std::string Piece(100, 'x');

void BM_Concatenate_ByteString(benchmark::State& state)
{
    ByteString* piece = bytestring::fromCString(Piece.c_str());
    for (auto _ : state) {
        ByteString* text = bytestring::fromCString("");
        for (int i = 0; i < ConcatenateCount; ++i)
            bytestring::concatenate(text, piece);
        benchmark::DoNotOptimize(text->data);
        bytestring::destroy(text);
    }
    bytestring::destroy(piece);
    state.SetBytesProcessed(state.iterations() * ConcatenateCount * static_cast<int64_t>(Piece.size()));
}
BENCHMARK(BM_Concatenate_ByteString)->Unit(benchmark::kMillisecond);

void BM_Concatenate_StdString(benchmark::State& state)
{
    for (auto _ : state) {
        std::string text;
        for (int i = 0; i < ConcatenateCount; ++i)
            text.append(Piece);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * ConcatenateCount * static_cast<int64_t>(Piece.size()));
}
BENCHMARK(BM_Concatenate_StdString)->Unit(benchmark::kMillisecond);

// A needle that appears once, after the whole 1 MB effect text.
const char* const Needle = "void compositePass(vec4 colour)";

std::string findHaystack() { return fixture().effectText + Needle + "\n"; }

void BM_Find_ByteString(benchmark::State& state)
{
    const std::string haystackText = findHaystack();
    ByteString* haystack = bytestring::fromBytes(haystackText.data(), static_cast<int32_t>(haystackText.size()));
    ByteString* needle = bytestring::fromCString(Needle);
    for (auto _ : state)
        benchmark::DoNotOptimize(bytestring::find(haystack, needle));
    if (bytestring::find(haystack, needle) != static_cast<int32_t>(haystackText.find(Needle)))
        state.SkipWithError("find disagrees with std::string::find");
    bytestring::destroy(needle);
    bytestring::destroy(haystack);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(haystackText.size()));
}
BENCHMARK(BM_Find_ByteString)->Unit(benchmark::kMillisecond);

void BM_Find_StdString(benchmark::State& state)
{
    const std::string haystack = findHaystack();
    const std::string needle = Needle;
    for (auto _ : state)
        benchmark::DoNotOptimize(haystack.find(needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(haystack.size()));
}
BENCHMARK(BM_Find_StdString)->Unit(benchmark::kMillisecond);

// Cutting the effect text into its lines, as slicing does.
void BM_Split_ByteString(benchmark::State& state)
{
    const std::string& effectText = fixture().effectText;
    ByteString* text = bytestring::fromBytes(effectText.data(), static_cast<int32_t>(effectText.size()));
    for (auto _ : state) {
        ByteStringList* lines = bytestring::split(text, '\n');
        benchmark::DoNotOptimize(lines->entries);
        bytestring::destroyList(lines);
    }
    bytestring::destroy(text);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(effectText.size()));
}
BENCHMARK(BM_Split_ByteString)->Unit(benchmark::kMillisecond);

void BM_Split_StdString(benchmark::State& state)
{
    const std::string& text = fixture().effectText;
    for (auto _ : state) {
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.emplace_back(text, start, end - start);
        lines.emplace_back(text, start, std::string::npos);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Split_StdString)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    removeFixture();
    return 0;
}
