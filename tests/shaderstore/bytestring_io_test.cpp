#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shaderstore/bytestring.h"
#include "bytestring_test_support.h"
#include "shaderstore/internal/formatter.h"

using namespace bytestring;

struct Source {
    explicit Source(std::string text)
        : bytes(std::move(text))
    {
    }
    std::string bytes;
    size_t offset = 0;
    std::vector<size_t> asked;
    size_t extra = 0; // claimed once beyond what was asked, to imitate a faulty reader
};

static size_t readFromSource(void* destination, size_t elementSize, size_t elementCount, void* context)
{
    Source* source = static_cast<Source*>(context);
    EXPECT_EQ(elementSize, 1u);
    source->asked.push_back(elementCount);
    size_t delivered = std::min(elementCount, source->bytes.size() - source->offset);
    std::memcpy(destination, source->bytes.data() + source->offset, delivered);
    source->offset += delivered;
    size_t claimed = delivered + source->extra;
    source->extra = 0;
    return claimed;
}

static std::string patternedBytes(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>(i * 7 + 1));
    return bytes;
}

// Small reads first, doubling up to 1,024 bytes, then steady 1,024-byte reads.
TEST(ReadStream, AsksForDoublingSizesUpTo1024)
{
    Source source(patternedBytes(2500));
    OwnedString d = owned(fromCString(""));
    EXPECT_EQ(readStream(d.get(), readFromSource, &source), 0);
    EXPECT_EQ(source.asked, (std::vector<size_t> {16, 16, 32, 64, 128, 256, 512, 1024, 1024}));
    EXPECT_EQ(d->length, 2500);
    EXPECT_EQ(contents(d.get()), source.bytes);
    EXPECT_EQ(d->capacity, 4096);
    EXPECT_TRUE(keepsInvariants(d.get()));
}

TEST(ReadStream, AppendsAfterExistingBytesAndStopsAtTheFirstShortRead)
{
    Source source("0123456789abcdefXYZ");
    OwnedString d = owned(fromCString("head:"));
    EXPECT_EQ(readStream(d.get(), readFromSource, &source), 0);
    EXPECT_EQ(source.asked, (std::vector<size_t> {16, 21}));
    EXPECT_EQ(contents(d.get()), "head:0123456789abcdefXYZ");

    Source empty("");
    OwnedString untouched = owned(fromCString("x"));
    EXPECT_EQ(readStream(untouched.get(), readFromSource, &empty), 0);
    EXPECT_EQ(contents(untouched.get()), "x");
    EXPECT_TRUE(keepsInvariants(untouched.get()));
}

// A reader that claims more than it was asked for must not push length past the buffer.
TEST(ReadStream, NeverCountsMoreBytesThanItAskedFor)
{
    Source source("abc");
    source.extra = 1000;
    OwnedString d = owned(fromCString(""));
    readStream(d.get(), readFromSource, &source);
    EXPECT_TRUE(keepsInvariants(d.get()));
    EXPECT_LT(d->length, d->capacity);
}

TEST(ReadStream, RefusesANullReaderAndInvalidDestinations)
{
    Source source("abc");
    OwnedString d = owned(fromCString(""));
    EXPECT_EQ(readStream(d.get(), nullptr, &source), -1);
    EXPECT_EQ(readStream(nullptr, readFromSource, &source), -1);
    char byte = 0;
    ByteString zeroCapacity {0, 0, &byte};
    EXPECT_EQ(readStream(&zeroCapacity, readFromSource, &source), -1);
    EXPECT_TRUE(source.asked.empty());
}

namespace {

std::vector<size_t> formatterSizes;

int recordingC99Formatter(char* buffer, size_t size, const char* fmt, va_list arguments)
{
    formatterSizes.push_back(size);
    return vsnprintf(buffer, size, fmt, arguments);
}

// Behaves like the Windows formatter: a negative count when the output does not
// fit, and no terminator when it fills the buffer exactly or is cut.
int recordingWindowsFormatter(char* buffer, size_t size, const char* fmt, va_list arguments)
{
    formatterSizes.push_back(size);
    va_list measuring;
    va_copy(measuring, arguments);
    int needed = vsnprintf(nullptr, 0, fmt, measuring);
    va_end(measuring);
    std::vector<char> full(static_cast<size_t>(needed) + 1);
    vsnprintf(full.data(), full.size(), fmt, arguments);
    if (static_cast<size_t>(needed) < size) {
        std::memcpy(buffer, full.data(), static_cast<size_t>(needed) + 1);
        return needed;
    }
    std::memcpy(buffer, full.data(), size);
    return static_cast<size_t>(needed) == size ? needed : -1;
}

struct FormatterScope {
    explicit FormatterScope(BoundedFormatter f)
        : previous(installFormatter(f))
    {
        formatterSizes.clear();
    }
    ~FormatterScope() { installFormatter(previous); }
    BoundedFormatter previous;
};

} // namespace

TEST(Format, FormatsALineDirectiveAtTheFirstAttempt)
{
    FormatterScope scope(recordingC99Formatter);
    OwnedString line = owned(format("#line %d\n", 12));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(contents(line.get()), "#line 12\n");
    EXPECT_EQ(line->length, 9);
    EXPECT_EQ(formatterSizes, (std::vector<size_t> {19}));
}

// The C99 formatter names the size it needs; an output that exactly fills the budget is retried.
TEST(Format, GrowsToTheCountAC99FormatterAsksFor)
{
    FormatterScope scope(recordingC99Formatter);
    const std::string long100(100, 'q');
    OwnedString text = owned(format("%s", long100.c_str()));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(contents(text.get()), long100);
    EXPECT_EQ(formatterSizes, (std::vector<size_t> {17, 101, 201}));
    EXPECT_TRUE(keepsInvariants(text.get()));
}

// The Windows formatter gives only a negative count and may leave no terminator.
TEST(Format, DoublesTheBudgetWhenTheFormatterReportsTruncationWithoutACount)
{
    FormatterScope scope(recordingWindowsFormatter);
    const std::string long100(100, 'w');
    OwnedString text = owned(format("Unable to open effect file '%s'.", long100.c_str()));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(contents(text.get()), "Unable to open effect file '" + long100 + "'.");
    EXPECT_EQ(formatterSizes, (std::vector<size_t> {65, 129, 257}));

    formatterSizes.clear();
    const std::string exactly16(16, 'e');
    OwnedString exact = owned(format("%s", exactly16.c_str()));
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(contents(exact.get()), exactly16);
    EXPECT_EQ(formatterSizes, (std::vector<size_t> {17, 33}));
    EXPECT_TRUE(keepsInvariants(exact.get()));
}

TEST(Format, StopsTheTextAtAnEmbeddedNulAndRefusesANullFormat)
{
    OwnedString text = owned(format("ab%cde", 0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->length, 2);
    EXPECT_EQ(format(nullptr), nullptr);
}
