#pragma once

#include <filesystem>
#include <string>

// A fresh temporary directory for effect files, made the working directory
// while the object lives (the store's default search path is the bare effect
// name), and removed with everything in it afterwards.
class EffectDirectory {
public:
    EffectDirectory();
    ~EffectDirectory();
    EffectDirectory(const EffectDirectory&) = delete;
    EffectDirectory& operator=(const EffectDirectory&) = delete;

    // Writes bytes, untranslated, to the file at relative path name (creating folders).
    void write(const std::string& name, const std::string& bytes) const;
    void remove(const std::string& name) const;
    // The directory as a search-path prefix, ending in "/".
    std::string prefix(const std::string& subdirectory = "") const;

private:
    std::filesystem::path root;
    std::filesystem::path previousWorkingDirectory;
};

// The text the store returns for key, or "<null>".
std::string shaderText(const char* key);
// The store's last error, or "<none>".
std::string lastErrorText();
