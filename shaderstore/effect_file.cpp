#include "shaderstore/internal/effect_file.h"

#include <sys/stat.h>

namespace shaderstore {

namespace {

bool isRegularFile(FILE* file)
{
#if defined(_WIN32)
    struct _stat status;
    return _fstat(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

size_t readFromFile(void* destination, size_t elementSize, size_t elementCount, void* context)
{
    return std::fread(destination, elementSize, elementCount, static_cast<FILE*>(context));
}

} // namespace

FILE* openEffectFile(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (file != nullptr && !isRegularFile(file)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

ByteString* readEffectFile(FILE* file)
{
    using namespace bytestring;
    ByteString* text = fromCString("");
    if (text != nullptr && (readStream(text, readFromFile, file) != 0 || std::ferror(file) != 0)) {
        destroy(text);
        text = nullptr;
    }
    std::fclose(file);
    return text;
}

} // namespace shaderstore
