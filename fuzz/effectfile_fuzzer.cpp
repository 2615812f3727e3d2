// Slices arbitrary bytes as an effect file and asks the store for keys of it.
// Every answer must be byte for byte the text that an independent reading of
// the effect-file format gives, and null exactly when no section answers.
//
// Input: optional leading lines "?suffix", each asking for the key
// "<effect>.suffix"; all bytes after them are the effect file. Keys for the
// sections the file declares are asked as well, so most runs hit something.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz_check.h"
#include "section_headers.h"
#include "shaderstore/shaderstore.h"

namespace {

struct Directive {
    const char* token;
    const char* text;
};

// Added once, oldest first, before any effect is loaded. "fx1" names the effect
// of the second input; "a.b" can never apply.
constexpr Directive Directives[] = {
    {"*", "#version 150"},
    {nullptr, "// any token"},
    {"", "// empty token"},
    {"VS", "#define STAGE_VS"},
    {"a.b", "#error dotted token"},
    {"Particle", "#define PARTICLE"},
    {"fx1", "#define SECOND_EFFECT"},
};

// The store keeps every section of every run and walks them all on each
// request, so each run asks only a handful of keys.
constexpr size_t MaxAskedLines = 8;
constexpr size_t MaxSectionKeys = 6;

std::string effectDirectory;
unsigned effectCounter = 0;

std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        pieces.push_back(text.substr(start, end - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

bool applies(const char* token, const std::string& effect, const std::vector<std::string>& nameParts)
{
    if (token == nullptr || *token == 0 || std::strcmp(token, "*") == 0 || effect == token)
        return true;
    for (const std::string& part : nameParts)
        if (part == token)
            return true;
    return false;
}

struct Section {
    std::string key;
    std::string text;
};

std::vector<Section> expectedSections(const std::string& effect, const std::string& file)
{
    std::vector<Section> sections;
    bool open = false;
    std::vector<std::string> lines = splitAt(file, '\n');
    for (size_t number = 0; number < lines.size(); ++number) {
        const std::string& line = lines[number];
        if (isHeaderLine(line)) {
            std::string name = sectionName(line);
            open = !name.empty();
            if (!open)
                continue;
            std::vector<std::string> parts = splitAt(name, '.');
            Section section {effect + "." + name, {}};
            for (const Directive& directive : Directives)
                if (applies(directive.token, effect, parts))
                    section.text += std::string(directive.text) + "\n";
            // "#version 150" comes first: the line after "#line N" is N + 1, the header's.
            section.text += "#line " + std::to_string(number + 1) + "\n";
            sections.push_back(section);
        } else if (open) {
            sections.back().text += line + "\n";
        }
    }
    return sections;
}

// The longest stored key that begins the request; of equal keys the later one.
const Section* expectedAnswer(const std::vector<Section>& sections, const std::string& key)
{
    const Section* best = nullptr;
    for (const Section& section : sections)
        if (key.compare(0, section.key.size(), section.key) == 0 &&
            (best == nullptr || section.key.size() >= best->key.size()))
            best = &section;
    return best;
}

std::string lastErrorText()
{
    const ByteString* error = shaderstore::lastError();
    FUZZ_REQUIRE(error != nullptr && error->data != nullptr && error->length >= 0);
    return std::string(error->data, static_cast<size_t>(error->length));
}

struct Answer {
    const char* text;
    const std::string* expected;
};

void removeEffectDirectory() { rmdir(effectDirectory.c_str()); }

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/vanteel-effectfile-fuzz-XXXXXX";
    FUZZ_REQUIRE(mkdtemp(pattern) != nullptr);
    effectDirectory = pattern;
    std::atexit(removeEffectDirectory);

    FUZZ_REQUIRE(shaderstore::getShader("fx0.Any") == nullptr);
    FUZZ_REQUIRE(shaderstore::create() == 1);
    FUZZ_REQUIRE(shaderstore::create() == 0);
    FUZZ_REQUIRE(lastErrorText() == "Already initialized.");
    FUZZ_REQUIRE(shaderstore::addPath((effectDirectory + "/").c_str(), ".glsl") == 1);
    for (const Directive& directive : Directives)
        FUZZ_REQUIRE(shaderstore::addDirective(directive.token, directive.text) == 1);
    FUZZ_REQUIRE(shaderstore::getShader(nullptr) == nullptr);
    FUZZ_REQUIRE(lastErrorText().rfind("Malformed effect key key '", 0) == 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> askedSuffixes;
    size_t fileStart = 0;
    while (askedSuffixes.size() < MaxAskedLines && fileStart < input.size() && input[fileStart] == '?') {
        size_t end = input.find('\n', fileStart);
        if (end == std::string::npos)
            end = input.size();
        // A key is a C string: it ends at the first NUL.
        askedSuffixes.push_back(input.substr(fileStart + 1, end - fileStart - 1).c_str());
        fileStart = std::min(end + 1, input.size());
    }
    std::string file = input.substr(fileStart);

    // A fresh effect every run: the store reads each effect file only once.
    std::string effect = "fx" + std::to_string(effectCounter++);
    std::string path = effectDirectory + "/" + effect + ".glsl";
    FILE* stream = std::fopen(path.c_str(), "wb");
    FUZZ_REQUIRE(stream != nullptr);
    FUZZ_REQUIRE(std::fwrite(file.data(), 1, file.size(), stream) == file.size());
    FUZZ_REQUIRE(std::fclose(stream) == 0);

    std::vector<Section> sections = expectedSections(effect, file);
    std::vector<std::string> keys {effect};
    for (size_t i = 0; i < sections.size() && i < MaxSectionKeys; ++i) {
        keys.push_back(sections[i].key);
        keys.push_back(sections[i].key + ".tail");
        keys.push_back(sections[i].key.substr(0, sections[i].key.size() - 1));
    }
    for (const std::string& suffix : askedSuffixes)
        keys.push_back(effect + "." + suffix);

    std::vector<Answer> answers;
    for (const std::string& key : keys) {
        const char* text = shaderstore::getShader(key.c_str());
        const Section* expected = expectedAnswer(sections, key);
        if (expected == nullptr) {
            FUZZ_REQUIRE(text == nullptr);
            FUZZ_REQUIRE(lastErrorText() == "Could not find shader with key '" + key + "'.");
            continue;
        }
        FUZZ_REQUIRE(text != nullptr);
        // Includes the terminator: a shorter text overruns its buffer here.
        FUZZ_REQUIRE(std::memcmp(text, expected->text.data(), expected->text.size() + 1) == 0);
        answers.push_back({text, &expected->text});
    }

    // Answers come from memory from now on, and earlier ones stay as they were.
    FUZZ_REQUIRE(std::remove(path.c_str()) == 0);
    if (!answers.empty()) {
        std::string firstKey;
        for (const std::string& key : keys)
            if (expectedAnswer(sections, key) != nullptr) {
                firstKey = key;
                break;
            }
        FUZZ_REQUIRE(shaderstore::getShader(firstKey.c_str()) == answers.front().text);
    }
    for (const Answer& answer : answers)
        FUZZ_REQUIRE(std::memcmp(answer.text, answer.expected->data(), answer.expected->size() + 1) == 0);
    return 0;
}
