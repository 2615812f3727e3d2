// Every allocation a byte-string operation makes may fail: the operation must
// then report failure, leave its destination exactly as it was, and release
// everything it made.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "allocation_failure_sweep.h"
#include "shaderstore/bytestring.h"
#include "bytestring_test_support.h"
#include "store_allocation_counting.h"

using namespace bytestring;
using Failure = AllocationFailure;

namespace {

// The observable state of a string: capacity, length, and the bytes in use with the terminator.
struct StringState {
    int32_t capacity;
    int32_t length;
    std::string bytesWithTerminator;
    bool operator==(const StringState& other) const
    {
        return capacity == other.capacity && length == other.length && bytesWithTerminator == other.bytesWithTerminator;
    }
};

StringState stateOf(const ByteString* b)
{
    return StringState {b->capacity, b->length, std::string(b->data, static_cast<size_t>(b->length) + 1)};
}

void PrintTo(const StringState& s, std::ostream* out)
{
    *out << "capacity " << s.capacity << ", length " << s.length << ", bytes "
         << testing::PrintToString(s.bytesWithTerminator);
}

struct WritingCase {
    std::function<ByteString*()> makeDestination;
    // Null source: the operation works on the destination alone or on itself.
    std::function<ByteString*()> makeSource;
    std::function<int(ByteString* destination, ByteString* source)> operate;
    std::string expected;
    // readStream has already grown the buffer when a later growth fails.
    bool capacityMayGrowOnFailure = false;
};

void expectEveryFailureHandled(const WritingCase& c)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    int requests = exerciseEveryFailure(counter, [&](AllocationCounter& counted, Failure failure, int k) {
        ByteString* destination = c.makeDestination();
        ByteString* source = c.makeSource ? c.makeSource() : nullptr;
        const StringState before = stateOf(destination);
        armAllocationFailure(counted, failure, k);
        int result = c.operate(destination, source);
        disarmAllocationFailure(counted);
        if (failure == Failure::FromOn) {
            EXPECT_EQ(result, -1);
        }
        if (result == 0) {
            EXPECT_EQ(contents(destination), c.expected);
            EXPECT_TRUE(keepsInvariants(destination));
        } else if (c.capacityMayGrowOnFailure) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(destination->length, before.length);
            EXPECT_EQ(std::string(destination->data, before.length + 1), before.bytesWithTerminator);
            EXPECT_GE(destination->capacity, before.capacity);
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(stateOf(destination), before);
        }
        destroy(source);
        destroy(destination);
    });
    EXPECT_GT(requests, 0);
}

template <typename Construct> void expectConstructorFailuresHandled(Construct construct, const std::string& expected)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    int requests = exerciseEveryFailure(counter, [&](AllocationCounter& counted, Failure failure, int k) {
        ByteString* source = fromCString("a source string of some length");
        armAllocationFailure(counted, failure, k);
        ByteString* made = construct(source);
        disarmAllocationFailure(counted);
        if (failure == Failure::FromOn) {
            EXPECT_EQ(made, nullptr);
        }
        if (made != nullptr) {
            EXPECT_EQ(contents(made), expected);
            EXPECT_TRUE(keepsInvariants(made));
            destroy(made);
        }
        destroy(source);
    });
    EXPECT_GT(requests, 0);
}

struct StreamCursor {
    const ByteString* bytes;
    int32_t offset;
};

size_t readFromString(void* destination, size_t, size_t count, void* context)
{
    StreamCursor* cursor = static_cast<StreamCursor*>(context);
    size_t delivered = std::min(count, static_cast<size_t>(cursor->bytes->length - cursor->offset));
    std::memcpy(destination, cursor->bytes->data + cursor->offset, delivered);
    cursor->offset += static_cast<int32_t>(delivered);
    return delivered;
}

std::string streamedBytes()
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes.push_back(static_cast<char>('a' + i % 26));
    return bytes;
}

} // namespace

TEST(AllocationFailure, EnsureCapacityOnRoomyAndFullStrings)
{
    expectEveryFailureHandled({[] { return fromCString("abc"); }, nullptr,
                               [](ByteString* d, ByteString*) { return ensureCapacity(d, 100); }, "abc"});
    expectEveryFailureHandled({[] { return filledTo("abcdefghijklmno", 16); }, nullptr,
                               [](ByteString* d, ByteString*) { return ensureCapacity(d, 17); }, "abcdefghijklmno"});
}

TEST(AllocationFailure, AppendChar)
{
    expectEveryFailureHandled({[] { return fromCString("abcdef"); }, nullptr,
                               [](ByteString* d, ByteString*) { return appendChar(d, 'g'); }, "abcdefg"});
}

TEST(AllocationFailure, ConcatenateAnotherStringAndItself)
{
    expectEveryFailureHandled({[] { return fromCString("abcdef"); }, [] { return fromCString("0123456789"); },
                               [](ByteString* d, ByteString* s) { return concatenate(d, s); }, "abcdef0123456789"});
    expectEveryFailureHandled({[] { return fromCString("abcdef"); }, nullptr,
                               [](ByteString* d, ByteString*) { return concatenate(d, d); }, "abcdefabcdef"});
}

TEST(AllocationFailure, InsertInsideBeyondTheEndAndIntoItself)
{
    expectEveryFailureHandled({[] { return fromCString("abcdef"); }, [] { return fromCString("XYZ0123"); },
                               [](ByteString* d, ByteString* s) { return insert(d, 2, s, '-'); }, "abXYZ0123cdef"});
    expectEveryFailureHandled({[] { return fromCString("abc"); }, [] { return fromCString("XY"); },
                               [](ByteString* d, ByteString* s) { return insert(d, 10, s, '-'); }, "abc-------XY"});
    expectEveryFailureHandled({[] { return fromCString("abcdef"); }, nullptr,
                               [](ByteString* d, ByteString*) { return insert(d, 3, d, '-'); }, "abcabcdefdef"});
}

TEST(AllocationFailure, InsertFill)
{
    expectEveryFailureHandled({[] { return fromCString("abcdef"); }, nullptr,
                               [](ByteString* d, ByteString*) { return insertFill(d, 1, 10, '.'); },
                               "a..........bcdef"});
}

TEST(AllocationFailure, ReadStreamGivesBackTheBytesItWasGiven)
{
    expectEveryFailureHandled({[] { return fromCString("head"); },
                               [] { return fromBytes(streamedBytes().data(), 3000); },
                               [](ByteString* d, ByteString* s) {
                                   StreamCursor cursor {s, 0};
                                   return readStream(d, readFromString, &cursor);
                               },
                               "head" + streamedBytes(), true});
}

// Guards a one-byte write past the buffer: a record whose length fills its
// capacity passes readStream's operand check, and its failed first growth
// must not restore a terminator at data[capacity]. The record claims 8 bytes
// of a 16-byte buffer, so the byte past its end can be watched.
TEST(AllocationFailure, ReadStreamOnAFullRecordWritesNothingPastIt)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    OwnedString source = owned(fromCString("more"));
    ByteString* d = fromCStringMin(16, "");
    const int32_t allocated = d->capacity;
    std::memset(d->data, 'x', 16);
    d->capacity = 8;
    d->length = 8;
    StreamCursor cursor {source.get(), 0};
    armAllocationFailure(counter, Failure::FromOn, 1);
    EXPECT_EQ(readStream(d, readFromString, &cursor), -1);
    disarmAllocationFailure(counter);
    EXPECT_EQ(d->length, 8);
    EXPECT_EQ(d->data[8], 'x');
    d->capacity = allocated;
    destroy(d);
}

TEST(AllocationFailure, Constructors)
{
    expectConstructorFailuresHandled([](ByteString*) { return fromCString("#version 150"); }, "#version 150");
    expectConstructorFailuresHandled([](ByteString*) { return fromCStringMin(300, "abc"); }, "abc");
    expectConstructorFailuresHandled([](ByteString*) { return fromBytes("a\0b", 3); }, std::string("a\0b", 3));
    expectConstructorFailuresHandled([](ByteString* s) { return copy(s); }, "a source string of some length");
    expectConstructorFailuresHandled([](ByteString* s) { return substring(s, 2, 6); }, "source");
    expectConstructorFailuresHandled([](ByteString* s) { return substring(s, 40, 6); }, "");
}

TEST(AllocationFailure, FormatThroughEveryRetry)
{
    const std::string argument(150, 'k');
    expectConstructorFailuresHandled(
        [&](ByteString*) { return format("Could not find shader with key '%s'.", argument.c_str()); },
        "Could not find shader with key '" + argument + "'.");
}

// A piece whose allocation failed stays in the list as a null entry; any other
// failure gives no list at all.
TEST(AllocationFailure, SplitLeavesNullEntriesOrNoList)
{
    const std::vector<std::string> pieces {"a", "bb", "", "ccc", "d", "ee", "f", "g", "hhhh", ""};
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    bool sawNullEntry = false;
    exerciseEveryFailure(counter, [&](AllocationCounter& counted, Failure failure, int k) {
        ByteString* source = fromCString("a.bb..ccc.d.ee.f.g.hhhh.");
        armAllocationFailure(counted, failure, k);
        ByteStringList* list = split(source, '.');
        disarmAllocationFailure(counted);
        if (list != nullptr) {
            ASSERT_EQ(list->count, static_cast<int32_t>(pieces.size()));
            for (int32_t i = 0; i < list->count; ++i) {
                if (list->entries[i] == nullptr) {
                    sawNullEntry = true;
                } else {
                    EXPECT_EQ(contents(list->entries[i]), pieces[i]);
                }
            }
            destroyList(list);
        }
        destroy(source);
    });
    EXPECT_TRUE(sawNullEntry);
}
