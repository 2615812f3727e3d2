// A stream that reports an error part-way, made with the C library's custom
// streams, so the store's own reading of a FILE is what is tested.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "bytestring_test_support.h"
#include "shaderstore/internal/effect_file.h"

namespace {

struct FailingSource {
    std::string bytes;
    size_t failAt; // bytes delivered before the error; bytes.size() for none
    size_t offset;
};

ssize_t readUntilTheFailure(void* cookie, char* buffer, size_t size)
{
    FailingSource* source = static_cast<FailingSource*>(cookie);
    if (source->offset == source->failAt && source->failAt < source->bytes.size()) {
        errno = EIO;
        return -1;
    }
    size_t delivered = std::min(size, std::min(source->failAt, source->bytes.size()) - source->offset);
    std::memcpy(buffer, source->bytes.data() + source->offset, delivered);
    source->offset += delivered;
    return static_cast<ssize_t>(delivered);
}

FILE* streamOf(FailingSource* source)
{
    return fopencookie(source, "rb", cookie_io_functions_t {readUntilTheFailure, nullptr, nullptr, nullptr});
}

} // namespace

// Guards a read error reported as a successful load: the part read before the
// error would be sliced and served as complete sections.
TEST(ReadEffectFile, AStreamThatFailsPartWayGivesNoText)
{
    std::string text = "--A\n" + std::string(6000, 'a') + "\n--B\nb\n";
    FailingSource whole {text, text.size(), 0};
    OwnedString read = owned(shaderstore::readEffectFile(streamOf(&whole)));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(contents(read.get()), text);

    FailingSource failing {text, 3000, 0};
    EXPECT_EQ(shaderstore::readEffectFile(streamOf(&failing)), nullptr);
    EXPECT_EQ(failing.offset, 3000u) << "the error must come after part of the file was read";
}
