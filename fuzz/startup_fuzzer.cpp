// Takes arbitrary bytes as the demo's effect file and runs its start-up up to
// the point where OpenGL would get the sources: the store set up as the
// program builder sets it up, then the six keys the demo asks for. Every
// answer must be null only when no header of the file answers the key, and
// otherwise a terminated text: the directive line, the "#line" of a header
// that answers the key, and the file's lines below it. Answers stay put once
// handed out.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "section_headers.h"
#include "shaderstore/shaderstore.h"

namespace {

constexpr const char* DemoKeys[] = {
    "Shaders.Composite.VS", "Shaders.Composite.FS", "Shaders.Particle.VS",
    "Shaders.Particle.GS",  "Shaders.Particle.FS",  "Shaders.tf.VS",
};
constexpr size_t KeyCount = sizeof DemoKeys / sizeof DemoKeys[0];

constexpr char DirectiveLine[] = "#version 150\n";
constexpr size_t DirectiveLength = sizeof DirectiveLine - 1;
constexpr char KeyPrefix[] = "Shaders.";

std::string treeRoot;
// The fuzzer's own paths (corpus, artifacts) stay relative to where it started.
int callerDirectory = -1;

std::string effectPath() { return treeRoot + "/assets/Shaders.glsl"; }

void removeTree()
{
    std::remove(effectPath().c_str());
    rmdir((treeRoot + "/assets").c_str());
    rmdir((treeRoot + "/run").c_str());
    rmdir(treeRoot.c_str());
}

void setUpStoreAsTheDemoDoes()
{
    shaderstore::create();
    shaderstore::addPath("../assets/", ".glsl");
    shaderstore::addDirective("*", "#version 150");
}

struct EffectFile {
    std::string bytes;
    std::vector<size_t> lineStarts;

    explicit EffectFile(std::string text)
        : bytes(std::move(text))
    {
        lineStarts.push_back(0);
        for (size_t at = 0; at < bytes.size(); ++at)
            if (bytes[at] == '\n')
                lineStarts.push_back(at + 1);
    }

    std::string line(size_t number) const
    {
        size_t end = number + 1 < lineStarts.size() ? lineStarts[number + 1] - 1 : bytes.size();
        return bytes.substr(lineStarts[number], end - lineStarts[number]);
    }
};

// Whether some header of the file names a section that begins the request.
bool someSectionAnswers(const EffectFile& file, const std::string& name)
{
    for (size_t number = 0; number < file.lineStarts.size(); ++number) {
        std::string line = file.line(number);
        if (!isHeaderLine(line))
            continue;
        std::string section = sectionName(line);
        if (!section.empty() && name.compare(0, section.size(), section) == 0)
            return true;
    }
    return false;
}

// "#line " then decimal digits then a line feed: the header's line, counted
// from 1, which under "#version 150" makes the compiler count the body from
// the line below it.
size_t readLineMarker(const char** text)
{
    FUZZ_REQUIRE(std::strncmp(*text, "#line ", 6) == 0);
    const char* digit = *text + 6;
    FUZZ_REQUIRE(*digit >= '0' && *digit <= '9');
    size_t number = 0;
    for (; *digit >= '0' && *digit <= '9'; ++digit) {
        number = number * 10 + static_cast<size_t>(*digit - '0');
        FUZZ_REQUIRE(number <= (size_t {1} << 32));
    }
    FUZZ_REQUIRE(*digit == '\n');
    *text = digit + 1;
    return number;
}

// A source the demo would hand to OpenGL: the directive, the number of a header
// line whose section begins the request, then the lines right below that header.
void checkSource(const EffectFile& file, const char* key, const char* source)
{
    std::string name = key + sizeof KeyPrefix - 1;
    if (source == nullptr) {
        FUZZ_REQUIRE(!someSectionAnswers(file, name));
        return;
    }
    size_t length = std::strlen(source);
    FUZZ_REQUIRE(length > DirectiveLength && std::memcmp(source, DirectiveLine, DirectiveLength) == 0);
    bool fileHasNul = std::memchr(file.bytes.data(), 0, file.bytes.size()) != nullptr;
    // Without a NUL byte in the file nothing cuts the text short of its last line feed.
    FUZZ_REQUIRE(source[length - 1] == '\n' || fileHasNul);

    const char* body = source + DirectiveLength;
    const size_t headerNumber = readLineMarker(&body);
    FUZZ_REQUIRE(headerNumber >= 1);
    const size_t header = headerNumber - 1;
    FUZZ_REQUIRE(header < file.lineStarts.size());
    std::string headerLine = file.line(header);
    FUZZ_REQUIRE(isHeaderLine(headerLine));
    std::string section = sectionName(headerLine);
    FUZZ_REQUIRE(!section.empty() && name.compare(0, section.size(), section) == 0);

    std::string text(body);
    FUZZ_REQUIRE(text.compare(0, 2, "--") != 0 && text.find("\n--") == std::string::npos);
    // The last line feed may be one the store added after the file's last line.
    size_t compared = !text.empty() && text.back() == '\n' ? text.size() - 1 : text.size();
    size_t bodyStart = header + 1 < file.lineStarts.size() ? file.lineStarts[header + 1] : file.bytes.size();
    FUZZ_REQUIRE(file.bytes.compare(bodyStart, compared, text, 0, compared) == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/vanteel-startup-fuzz-XXXXXX";
    FUZZ_REQUIRE(mkdtemp(pattern) != nullptr);
    treeRoot = pattern;
    FUZZ_REQUIRE(mkdir((treeRoot + "/assets").c_str(), 0700) == 0);
    FUZZ_REQUIRE(mkdir((treeRoot + "/run").c_str(), 0700) == 0);
    callerDirectory = open(".", O_RDONLY | O_DIRECTORY);
    FUZZ_REQUIRE(callerDirectory >= 0);
    std::atexit(removeTree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* stream = std::fopen(effectPath().c_str(), "wb");
    FUZZ_REQUIRE(stream != nullptr);
    FUZZ_REQUIRE(std::fwrite(data, 1, size, stream) == size);
    FUZZ_REQUIRE(std::fclose(stream) == 0);

    // A fresh store every run, as in a fresh process, which finds its effect
    // file relative to its working directory.
    shaderstore::release();
    FUZZ_REQUIRE(chdir((treeRoot + "/run").c_str()) == 0);
    setUpStoreAsTheDemoDoes();

    EffectFile file(std::string(reinterpret_cast<const char*>(data), size));
    const char* sources[KeyCount];
    for (size_t i = 0; i < KeyCount; ++i) {
        sources[i] = shaderstore::getShader(DemoKeys[i]);
        checkSource(file, DemoKeys[i], sources[i]);
    }

    // The file is read once: with it gone every key gets the same answer again.
    FUZZ_REQUIRE(std::remove(effectPath().c_str()) == 0);
    for (size_t i = 0; i < KeyCount; ++i)
        FUZZ_REQUIRE(shaderstore::getShader(DemoKeys[i]) == sources[i]);
    FUZZ_REQUIRE(fchdir(callerDirectory) == 0);
    return 0;
}
