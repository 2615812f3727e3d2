#include "shaderstore_effect_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "shaderstore.h"

EffectDirectory::EffectDirectory() : previousWorkingDirectory(std::filesystem::current_path()) {
    std::random_device entropy;
    root = std::filesystem::temp_directory_path() / ("vanteel-effects-" + std::to_string(entropy()));
    std::filesystem::create_directories(root);
    std::filesystem::current_path(root);
}

EffectDirectory::~EffectDirectory() {
    std::filesystem::current_path(previousWorkingDirectory);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

void EffectDirectory::write(const std::string& name, const std::string& bytes) const {
    std::filesystem::path path = root / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void EffectDirectory::remove(const std::string& name) const { std::filesystem::remove(root / name); }

std::string EffectDirectory::prefix(const std::string& subdirectory) const {
    std::filesystem::path directory = subdirectory.empty() ? root : root / subdirectory;
    std::filesystem::create_directories(directory);
    return directory.string() + "/";
}

std::string shaderText(const char* key) {
    const char* text = shaderstore::getShader(key);
    return text != nullptr ? std::string(text) : std::string("<null>");
}

std::string lastErrorText() {
    const ByteString* error = shaderstore::lastError();
    return error != nullptr ? std::string(error->data, static_cast<size_t>(error->length)) : std::string("<none>");
}
