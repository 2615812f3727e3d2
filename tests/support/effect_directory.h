#pragma once

#include <filesystem>
#include <string>

// A scratch tree for effect files. While it lives the process works in
// <root>/work, so a bare effect name (the store's last resort) is a file
// there, and the demo's "../assets/" is <root>/assets. When it ends the old
// working directory comes back and the tree is removed; at exit too, when a
// death test's child ends the process first.
struct EffectDirectory {
    EffectDirectory();
    ~EffectDirectory();
    EffectDirectory(const EffectDirectory&) = delete;
    EffectDirectory& operator=(const EffectDirectory&) = delete;

    std::filesystem::path root;
    std::filesystem::path previousWorkingDirectory;
};

// Paths below are relative to the working directory, "../assets/Shaders.glsl" say.

// Writes bytes, untranslated, making the folders on the way.
void writeEffectFile(const EffectDirectory& directory, const std::string& path, const std::string& bytes);
void removeEffectFile(const EffectDirectory& directory, const std::string& path);
// The folder, made if need be, as a search-path prefix: absolute, ending in "/".
std::string searchPrefix(const EffectDirectory& directory, const std::string& folder = "");
