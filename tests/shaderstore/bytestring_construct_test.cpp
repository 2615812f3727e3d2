#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "shaderstore/bytestring.h"
#include "bytestring_test_support.h"
#include "store_allocation_counting.h"

using namespace bytestring;

// Capacities must be powers of two strictly above the size, or repeated appends reallocate too often.
TEST(SnapCapacity, RoundsUpToTheNextPowerOfTwoAboveTheSize)
{
    const struct {
        int32_t n, expected;
    } cases[] = {{INT32_MIN, 8},
                 {-1, 8},
                 {0, 8},
                 {7, 8},
                 {8, 16},
                 {9, 16},
                 {15, 16},
                 {16, 32},
                 {100, 128},
                 {1023, 1024},
                 {1024, 2048},
                 {(1 << 30) - 1, 1 << 30},
                 {1 << 30, 1 << 30},
                 {INT32_MAX, INT32_MAX}};
    for (const auto& c : cases)
        EXPECT_EQ(snapCapacity(c.n), c.expected) << "n = " << c.n;
}

// A constructor that sizes the buffer too small loses the terminator.
TEST(Constructors, GiveTheSnappedCapacityOfLengthPlusOne)
{
    const struct {
        const char* text;
        int32_t capacity;
    } cases[] = {{"", 8}, {"abcdef", 8}, {"abcdefg", 16}, {"abcdefghijklmno", 32}};
    for (const auto& c : cases) {
        OwnedString b = owned(fromCString(c.text));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(contents(b.get()), c.text);
        EXPECT_EQ(b->capacity, c.capacity) << c.text;
        EXPECT_TRUE(keepsInvariants(b.get()));
    }
}

TEST(Constructors, FromCStringMinRaisesTheCapacityButNeverLowersIt)
{
    OwnedString raised = owned(fromCStringMin(100, "abc"));
    ASSERT_NE(raised, nullptr);
    EXPECT_EQ(raised->capacity, 100);
    EXPECT_EQ(contents(raised.get()), "abc");
    OwnedString kept = owned(fromCStringMin(2, "abcdefg"));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->capacity, 16);
    EXPECT_TRUE(keepsInvariants(kept.get()));
}

// Effect files may hold any byte, NUL included.
TEST(Constructors, FromBytesKeepsEmbeddedZeros)
{
    const std::string bytes("a\0b\0", 4);
    OwnedString b = ownedFrom(bytes);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->length, 4);
    EXPECT_EQ(contents(b.get()), bytes);
    EXPECT_TRUE(keepsInvariants(b.get()));
}

// Refusals must come before any byte is read or any block is allocated.
TEST(Constructors, RefuseNullSourcesNegativeCountsAndSizesThatOverflow)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    char byte = 'x';
    EXPECT_EQ(fromCString(nullptr), nullptr);
    EXPECT_EQ(fromCStringMin(16, nullptr), nullptr);
    EXPECT_EQ(fromBytes(nullptr, 3), nullptr);
    EXPECT_EQ(fromBytes(&byte, -1), nullptr);
    EXPECT_EQ(fromBytes(&byte, INT32_MAX), nullptr);
    EXPECT_EQ(counter.requests, 0);
}

TEST(Copy, DuplicatesBytesIntoAnIndependentSnappedBuffer)
{
    OwnedString original = owned(fromCStringMin(200, "shader"));
    OwnedString duplicate = owned(copy(original.get()));
    ASSERT_NE(duplicate, nullptr);
    EXPECT_NE(duplicate->data, original->data);
    EXPECT_EQ(duplicate->capacity, 8);
    EXPECT_EQ(contents(duplicate.get()), "shader");
    original->data[0] = 'S';
    EXPECT_EQ(contents(duplicate.get()), "shader");
    EXPECT_EQ(copy(nullptr), nullptr);
}

// When memory is tight the copy still succeeds with a buffer of exactly length + 1.
TEST(Copy, FallsBackToTheExactSizeWhenTheSnappedBufferFails)
{
    OwnedString original = owned(fromCString("abcdefghij"));
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    armAllocationFailure(counter, AllocationFailure::OnlyAt, 2);
    OwnedString duplicate = owned(copy(original.get()));
    disarmAllocationFailure(counter);
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(duplicate->capacity, 11);
    EXPECT_EQ(contents(duplicate.get()), "abcdefghij");
    EXPECT_TRUE(keepsInvariants(duplicate.get()));
    ASSERT_EQ(counter.log.size(), 3u);
    EXPECT_EQ(counter.log[1].size, 16u);
    EXPECT_EQ(counter.log[2].size, 11u);
}

// Out-of-range positions and counts are clamped, never read past the buffer.
TEST(Substring, ClampsPositionAndCountToTheString)
{
    OwnedString b = owned(fromCString("abcdef"));
    const struct {
        int32_t position, count;
        const char* expected;
    } cases[] = {{0, 6, "abcdef"},     {2, 2, "cd"}, {4, 100, "ef"}, {-2, 4, "ab"}, {-10, 4, ""},
                 {6, 3, ""},           {9, 3, ""},   {1, 0, ""},     {1, -5, ""},   {INT32_MIN, INT32_MAX, ""},
                 {3, INT32_MAX, "def"}};
    for (const auto& c : cases) {
        OwnedString piece = owned(substring(b.get(), c.position, c.count));
        ASSERT_NE(piece, nullptr) << c.position << "," << c.count;
        EXPECT_EQ(contents(piece.get()), c.expected) << c.position << "," << c.count;
        EXPECT_TRUE(keepsInvariants(piece.get()));
    }
    EXPECT_EQ(substring(nullptr, 0, 1), nullptr);
}

// Destroying a damaged record must not free through garbage.
TEST(Destroy, RefusesInvalidRecordsAndReleasesValidOnes)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    char buffer[8] = {};
    ByteString negativeLength {8, -1, buffer};
    ByteString zeroCapacity {0, 0, buffer};
    ByteString capacityBelowLength {4, 6, buffer};
    ByteString noBuffer {8, 0, nullptr};
    EXPECT_EQ(destroy(nullptr), -1);
    EXPECT_EQ(destroy(&negativeLength), -1);
    EXPECT_EQ(destroy(&zeroCapacity), -1);
    EXPECT_EQ(destroy(&capacityBelowLength), -1);
    EXPECT_EQ(destroy(&noBuffer), -1);

    EXPECT_EQ(destroy(fromCString("x")), 0);
    EXPECT_EQ(counter.liveBlocks.size(), 0u);
}

// Lists may hold null entries (pieces whose allocation failed) and must still be released whole.
TEST(DestroyList, ReleasesEveryEntrySkippingNullOnes)
{
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    OwnedString source = owned(fromCString("a.b.c"));
    ByteStringList* list = split(source.get(), '.');
    ASSERT_NE(list, nullptr);
    destroy(list->entries[1]);
    list->entries[1] = nullptr;
    source.reset();
    EXPECT_EQ(destroyList(list), 0);
    EXPECT_EQ(counter.liveBlocks.size(), 0u);

    ByteStringList negative {-1, 4, nullptr};
    EXPECT_EQ(destroyList(&negative), -1);
    EXPECT_EQ(destroyList(nullptr), -1);
}
