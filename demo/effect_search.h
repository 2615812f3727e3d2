#pragma once

#include <string>
#include <vector>

// Where the demo looks for its effect file, as the shader store's search
// paths: each is a prefix and a suffix around the effect's name.
struct EffectSearchPath {
    std::string prefix;
    std::string suffix;
};

// The search paths in the order they are tried: the resource directory (the
// --assets folder, or "../assets/"), then the effect's name alone in the
// working directory, then each fallback directory (the folders beside the
// installed program). Every directory gets a "/" when it ends in no separator
// ("/", and on Windows "\\" too) and the suffix ".glsl".
std::vector<EffectSearchPath> effectSearchPaths(const std::string& resourceDirectory,
                                                const std::vector<std::string>& fallbackDirectories);

// The line that follows the fatal message when no effect file was found: every
// file tried, in order, and the option that names the folder.
std::string effectNotFoundLine(const char* effectName, const std::vector<EffectSearchPath>& paths);
