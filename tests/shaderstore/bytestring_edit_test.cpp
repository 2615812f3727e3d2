#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "shaderstore/bytestring.h"
#include "bytestring_test_support.h"
#include "store_allocation_counting.h"

using namespace bytestring;
using Kind = AllocationKind;

static OwnedString withCapacity(const std::string& bytes, int32_t capacity) { return owned(filledTo(bytes, capacity)); }

TEST(EnsureCapacity, LeavesRoomyStringsAloneAndGrowsOnARequestEqualToTheCapacity)
{
    OwnedString b = owned(fromCString("abc"));
    char* before = b->data;
    EXPECT_EQ(ensureCapacity(b.get(), 7), 0);
    EXPECT_EQ(b->capacity, 8);
    EXPECT_EQ(b->data, before);
    EXPECT_EQ(ensureCapacity(b.get(), 8), 0);
    EXPECT_EQ(b->capacity, 16);
    EXPECT_EQ(contents(b.get()), "abc");
    EXPECT_TRUE(keepsInvariants(b.get()));
}

// Growing a mostly empty buffer copies only the bytes in use into a fresh one.
TEST(EnsureCapacity, TakesAFreshBufferWhileAtMostSevenEighthsAreInUse)
{
    OwnedString b = withCapacity("abcdefg", 8); // 7 x 8 >= 8 x 7
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    EXPECT_EQ(ensureCapacity(b.get(), 40), 0);
    ASSERT_EQ(counter.log.size(), 1u);
    EXPECT_EQ(counter.log[0].kind, Kind::Allocate);
    EXPECT_EQ(counter.log[0].size, 64u);
    EXPECT_EQ(b->capacity, 64);
    EXPECT_EQ(contents(b.get()), "abcdefg");
    EXPECT_TRUE(keepsInvariants(b.get()));
}

TEST(EnsureCapacity, ResizesInPlaceWhenMoreThanSevenEighthsAreInUse)
{
    OwnedString b = withCapacity("abcdefghijklmno", 16); // 7 x 16 < 8 x 15
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    EXPECT_EQ(ensureCapacity(b.get(), 16), 0);
    ASSERT_EQ(counter.log.size(), 1u);
    EXPECT_EQ(counter.log[0].kind, Kind::Resize);
    EXPECT_EQ(counter.log[0].size, 32u);
    EXPECT_EQ(b->capacity, 32);
    EXPECT_EQ(contents(b.get()), "abcdefghijklmno");
}

// Under memory pressure: fresh buffer, then resize to the snapped size, then to exactly n.
TEST(EnsureCapacity, FallsBackToResizingAndThenToTheExactSize)
{
    OwnedString roomy = withCapacity("abc", 8);
    OwnedString full = withCapacity("abcdefghijklmno", 16);
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    armAllocationFailure(counter, AllocationFailure::OnlyAt, 1);
    EXPECT_EQ(ensureCapacity(roomy.get(), 20), 0);
    EXPECT_EQ(roomy->capacity, 32);
    ASSERT_EQ(counter.log.size(), 2u);
    EXPECT_EQ(counter.log[1].kind, Kind::Resize);
    EXPECT_EQ(contents(roomy.get()), "abc");

    armAllocationFailure(counter, AllocationFailure::OnlyAt, 1);
    EXPECT_EQ(ensureCapacity(full.get(), 20), 0);
    EXPECT_EQ(full->capacity, 20);
    ASSERT_EQ(counter.log.size(), 2u);
    EXPECT_EQ(counter.log[1].size, 20u);
    EXPECT_EQ(contents(full.get()), "abcdefghijklmno");
    EXPECT_TRUE(keepsInvariants(full.get()));
}

// A record whose capacity equals its length has no room for the terminator; the
// exact-size fallback must not hand it a buffer that still has none.
TEST(EnsureCapacity, ExactSizeFallbackNeverDropsTheTerminatorsRoom)
{
    OwnedString b = withCapacity("abcdefghijklmno", 16);
    b->length = 16; // capacity == length: accepted for writing, but full
    AllocationCounter counter;
    StoreAllocationsCounted counting(counter);
    armAllocationFailure(counter, AllocationFailure::OnlyAt, 1);
    EXPECT_EQ(ensureCapacity(b.get(), 16), -1);
    EXPECT_EQ(b->capacity, 16);
    disarmAllocationFailure(counter);
    EXPECT_EQ(ensureCapacity(b.get(), 16), 0);
    EXPECT_EQ(b->capacity, 32);
    EXPECT_EQ(b->data[16], 0);
    b->length = 15;
}

TEST(EnsureCapacity, RefusesInvalidStringsAndNonPositiveSizes)
{
    char buffer[8] = "abc";
    ByteString capacityBelowLength {2, 3, buffer};
    ByteString zeroCapacity {0, 0, buffer};
    ByteString negativeLength {8, -1, buffer};
    ByteString noBuffer {8, 0, nullptr};
    for (ByteString* b : {&capacityBelowLength, &zeroCapacity, &negativeLength, &noBuffer}) {
        const ByteString before = *b;
        EXPECT_EQ(ensureCapacity(b, 64), -1);
        EXPECT_EQ(b->capacity, before.capacity);
        EXPECT_EQ(b->data, before.data);
    }
    EXPECT_EQ(ensureCapacity(nullptr, 64), -1);
    OwnedString valid = owned(fromCString("abc"));
    EXPECT_EQ(ensureCapacity(valid.get(), 0), -1);
    EXPECT_EQ(ensureCapacity(valid.get(), -5), -1);
}

// Appending one byte must always leave room for the terminator after it.
TEST(AppendChar, GrowsASixByteStringOfCapacityEightToSixteen)
{
    OwnedString b = owned(fromCString("abcdef"));
    ASSERT_EQ(b->capacity, 8);
    EXPECT_EQ(appendChar(b.get(), 'g'), 0);
    EXPECT_EQ(b->capacity, 16);
    EXPECT_EQ(appendChar(b.get(), '\0'), 0);
    EXPECT_EQ(contents(b.get()), std::string("abcdefg\0", 8));
    EXPECT_TRUE(keepsInvariants(b.get()));
    EXPECT_EQ(appendChar(nullptr, 'x'), -1);
}

TEST(Concatenate, AppendsTheSourceBytes)
{
    OwnedString d = owned(fromCString("#version 150"));
    OwnedString s = ownedFrom(std::string("\n\0x", 3));
    EXPECT_EQ(concatenate(d.get(), s.get()), 0);
    EXPECT_EQ(contents(d.get()), std::string("#version 150\n\0x", 15));
    EXPECT_EQ(d->capacity, 32); // 15 bytes and the terminator would fit 16, but equality grows
    EXPECT_TRUE(keepsInvariants(d.get()));
    EXPECT_EQ(contents(s.get()), std::string("\n\0x", 3));
}

// Appending a string to itself must not read from the buffer that growth released.
TEST(Concatenate, AppendsAStringToItselfWithAndWithoutGrowth)
{
    OwnedString grows = owned(fromCString("abcde"));
    EXPECT_EQ(concatenate(grows.get(), grows.get()), 0);
    EXPECT_EQ(contents(grows.get()), "abcdeabcde");
    EXPECT_TRUE(keepsInvariants(grows.get()));

    OwnedString roomy = owned(fromCStringMin(64, "abcde"));
    EXPECT_EQ(concatenate(roomy.get(), roomy.get()), 0);
    EXPECT_EQ(contents(roomy.get()), "abcdeabcde");
    EXPECT_EQ(roomy->capacity, 64);

    OwnedString tail = owned(fromCString("0123456"));
    ByteString view {8, 3, tail->data + 4}; // "456", inside the destination's buffer
    EXPECT_EQ(concatenate(tail.get(), &view), 0);
    EXPECT_EQ(contents(tail.get()), "0123456456");
}

TEST(Concatenate, RefusesInvalidOperandsAndOverflowingTotalsUnchanged)
{
    OwnedString d = owned(fromCString("abc"));
    char byte = 'x';
    ByteString huge {INT32_MAX, INT32_MAX - 2, &byte}; // never read: the total overflows first
    ByteString negative {8, -1, &byte};
    const ByteString* refused[] = {nullptr, &huge, &negative};
    for (const ByteString* s : refused) {
        EXPECT_EQ(concatenate(d.get(), s), -1);
        EXPECT_EQ(contents(d.get()), "abc");
        EXPECT_EQ(d->capacity, 8);
    }
    EXPECT_EQ(concatenate(nullptr, d.get()), -1);
}

TEST(Insert, PutsTheSourceAtThePositionAndFillsAnyGap)
{
    const struct {
        const char* destination;
        int32_t position;
        const char* source;
        const char* expected;
    } cases[] = {{"abcdef", 0, "XY", "XYabcdef"},
                 {"abcdef", 3, "XY", "abcXYdef"},
                 {"abcdef", 6, "XY", "abcdefXY"},
                 {"abc", 6, "XY", "abc---XY"},
                 {"", 2, "X", "--X"},
                 {"abc", 1, "", "abc"},
                 {"abc", 5, "", "abc--"}};
    for (const auto& c : cases) {
        OwnedString d = owned(fromCString(c.destination));
        OwnedString s = owned(fromCString(c.source));
        EXPECT_EQ(insert(d.get(), c.position, s.get(), '-'), 0);
        EXPECT_EQ(contents(d.get()), c.expected) << c.destination << " @" << c.position;
        EXPECT_TRUE(keepsInvariants(d.get()));
    }
}

// Shifting the tail must not smear a source that lives in the destination's own buffer.
TEST(Insert, InsertsAStringIntoItself)
{
    OwnedString roomy = owned(fromCStringMin(64, "abcd"));
    EXPECT_EQ(insert(roomy.get(), 2, roomy.get(), '-'), 0);
    EXPECT_EQ(contents(roomy.get()), "ababcdcd");

    OwnedString grows = owned(fromCString("abcd"));
    EXPECT_EQ(insert(grows.get(), 6, grows.get(), '-'), 0);
    EXPECT_EQ(contents(grows.get()), "abcd--abcd");

    OwnedString partial = owned(fromCStringMin(64, "0123"));
    ByteString view {8, 2, partial->data + 1}; // "12"
    EXPECT_EQ(insert(partial.get(), 0, &view, '-'), 0);
    EXPECT_EQ(contents(partial.get()), "120123");
}

TEST(Insert, RefusesNegativePositionsInvalidOperandsAndOverflowUnchanged)
{
    OwnedString d = owned(fromCString("abc"));
    OwnedString s = owned(fromCString("x"));
    char byte = 'x';
    ByteString huge {INT32_MAX, INT32_MAX - 1, &byte};
    EXPECT_EQ(insert(d.get(), -1, s.get(), '-'), -1);
    EXPECT_EQ(insert(d.get(), 0, nullptr, '-'), -1);
    EXPECT_EQ(insert(d.get(), 1, &huge, '-'), -1);
    EXPECT_EQ(insert(d.get(), INT32_MAX - 1, s.get(), '-'), -1);
    EXPECT_EQ(insert(nullptr, 0, s.get(), '-'), -1);
    EXPECT_EQ(contents(d.get()), "abc");
    EXPECT_EQ(d->capacity, 8);
}

// The store builds ".name" by inserting one "." in front of a section name.
TEST(InsertFill, InsertsCopiesOfTheFillByte)
{
    const struct {
        const char* destination;
        int32_t position, count;
        const char* expected;
    } cases[] = {{"abc", 0, 1, ".abc"},    {"abc", 1, 2, "a..bc"}, {"abc", 3, 1, "abc."},
                 {"abc", 5, 2, "abc...."}, {"abc", 2, 0, "abc"},   {"abc", 4, 0, "abc."}};
    for (const auto& c : cases) {
        OwnedString d = owned(fromCString(c.destination));
        EXPECT_EQ(insertFill(d.get(), c.position, c.count, '.'), 0);
        EXPECT_EQ(contents(d.get()), c.expected) << c.position << "," << c.count;
        EXPECT_TRUE(keepsInvariants(d.get()));
    }
    OwnedString d = owned(fromCString("abc"));
    EXPECT_EQ(insertFill(d.get(), -1, 1, '.'), -1);
    EXPECT_EQ(insertFill(d.get(), 0, -1, '.'), -1);
    EXPECT_EQ(insertFill(d.get(), INT32_MAX, 1, '.'), -1);
    EXPECT_EQ(insertFill(nullptr, 0, 1, '.'), -1);
    EXPECT_EQ(contents(d.get()), "abc");
}
