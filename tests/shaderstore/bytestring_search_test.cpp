#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shaderstore/bytestring.h"
#include "bytestring_test_support.h"

using namespace bytestring;

TEST(Equals, ComparesLengthAndEveryByteExactly)
{
    const struct {
        std::string a, b;
        int expected;
    } cases[] = {{"", "", 1},
                 {"ab", "abc", 0},
                 {"abc", "abc", 1},
                 {"abc", "abd", 0},
                 {"ABC", "abc", 0},
                 {std::string("a\0b", 3), std::string("a\0c", 3), 0},
                 {std::string("a\0b", 3), std::string("a\0b", 3), 1}};
    for (const auto& c : cases) {
        OwnedString a = ownedFrom(c.a);
        OwnedString b = ownedFrom(c.b);
        EXPECT_EQ(equals(a.get(), b.get()), c.expected) << testing::PrintToString(c.a) << " vs " << c.b;
    }
}

TEST(Equals, RefusesNullAndNegativeLengthOperands)
{
    OwnedString a = owned(fromCString("a"));
    char byte = 'a';
    ByteString negative {8, -1, &byte};
    ByteString noBuffer {8, 0, nullptr};
    EXPECT_EQ(equals(a.get(), nullptr), -1);
    EXPECT_EQ(equals(nullptr, a.get()), -1);
    EXPECT_EQ(equals(a.get(), &negative), -1);
    EXPECT_EQ(equals(&noBuffer, &noBuffer), -1);
    EXPECT_EQ(equals(a.get(), a.get()), 1);
}

// Lookup relies on find answering 0 only for a true prefix.
TEST(Find, ReturnsTheFirstOccurrence)
{
    const struct {
        std::string haystack, needle;
        int32_t expected;
    } cases[] = {{"abcabc", "ca", 2},
                 {"abcabc", "abc", 0},
                 {"abcabc", "bc", 1},
                 {"abcabc", "cb", -1},
                 {"abc", "", 0},
                 {"", "", 0},
                 {"", "a", -1},
                 {"ab", "abc", -1},
                 {"abc", "abc", 0},
                 {"aaab", "aab", 1},
                 {"xyzab", "ab", 3},
                 {"abca", "ab?", -1},
                 {"abcab", "abX", -1},
                 {std::string("a\0b\0c", 5), std::string("\0c", 2), 3},
                 {"Shaders.Particle.VS", "Shaders.Particle", 0},
                 {"Shaders.Part", "Shaders.Particle", -1}};
    for (const auto& c : cases) {
        OwnedString h = ownedFrom(c.haystack);
        OwnedString n = ownedFrom(c.needle);
        EXPECT_EQ(find(h.get(), n.get()), c.expected)
            << testing::PrintToString(c.haystack) << " / " << testing::PrintToString(c.needle);
    }
    OwnedString h = owned(fromCString("abc"));
    EXPECT_EQ(find(h.get(), h.get()), 0);
    EXPECT_EQ(find(h.get(), nullptr), -1);
    EXPECT_EQ(find(nullptr, h.get()), -1);
}

static std::vector<std::string> piecesOf(const ByteStringList* list)
{
    std::vector<std::string> pieces;
    for (int32_t i = 0; i < list->count; ++i)
        pieces.push_back(contents(list->entries[i]));
    return pieces;
}

// k separators give k + 1 pieces; the store's line numbers depend on it.
TEST(Split, GivesOnePieceMoreThanThereAreSeparators)
{
    using Pieces = std::vector<std::string>;
    const struct {
        std::string text;
        Pieces expected;
    } cases[] = {{"", {""}},
                 {"a..b", {"a", "", "b"}},
                 {"a.", {"a", ""}},
                 {".", {"", ""}},
                 {"Shaders.Particle.VS", {"Shaders", "Particle", "VS"}},
                 {"a.b.c.d.e.f.g.h.i", {"a", "b", "c", "d", "e", "f", "g", "h", "i"}},
                 {std::string("\0.\0", 3), {std::string(1, '\0'), std::string(1, '\0')}}};
    for (const auto& c : cases) {
        OwnedString b = ownedFrom(c.text);
        ByteStringList* list = split(b.get(), '.');
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(piecesOf(list), c.expected) << testing::PrintToString(c.text);
        EXPECT_GE(list->capacity, list->count);
        destroyList(list);
    }
    EXPECT_EQ(split(nullptr, '.'), nullptr);
}

struct Piece {
    int32_t position, length;
    bool operator==(const Piece& other) const { return position == other.position && length == other.length; }
};

struct Recorder {
    std::vector<Piece> pieces;
    int stopAfter = -1;
    ByteString* truncate = nullptr;
};

static int record(void* context, int32_t position, int32_t length)
{
    Recorder* recorder = static_cast<Recorder*>(context);
    recorder->pieces.push_back({position, length});
    if (recorder->truncate != nullptr) {
        recorder->truncate->length = 1;
        recorder->truncate->data[1] = 0;
    }
    if (static_cast<int>(recorder->pieces.size()) == recorder->stopAfter)
        return -7;
    return 0;
}

TEST(SplitWithCallback, ReportsPiecesFromTheStartPosition)
{
    OwnedString b = owned(fromCString("ab,c,,d"));
    Recorder fromStart;
    EXPECT_EQ(splitWithCallback(b.get(), ',', 0, record, &fromStart), 0);
    EXPECT_EQ(fromStart.pieces, (std::vector<Piece> {{0, 2}, {3, 1}, {5, 0}, {6, 1}}));

    Recorder fromMiddle;
    EXPECT_EQ(splitWithCallback(b.get(), ',', 4, record, &fromMiddle), 0);
    EXPECT_EQ(fromMiddle.pieces, (std::vector<Piece> {{4, 0}, {5, 0}, {6, 1}}));

    Recorder atEnd;
    EXPECT_EQ(splitWithCallback(b.get(), ',', 7, record, &atEnd), 0);
    EXPECT_EQ(atEnd.pieces, (std::vector<Piece> {{7, 0}}));
}

// A callback's failure must stop the walk and reach the caller unchanged.
TEST(SplitWithCallback, StopsAtANegativeCallbackResultAndPassesItOn)
{
    OwnedString b = owned(fromCString("a,b,c"));
    Recorder recorder;
    recorder.stopAfter = 2;
    EXPECT_EQ(splitWithCallback(b.get(), ',', 0, record, &recorder), -7);
    EXPECT_EQ(recorder.pieces.size(), 2u);
}

// A callback that shortens the string must not make the walk read past the new end.
TEST(SplitWithCallback, RereadsTheLengthForEveryPiece)
{
    OwnedString b = owned(fromCString("a,b,c,d"));
    Recorder recorder;
    recorder.truncate = b.get();
    EXPECT_EQ(splitWithCallback(b.get(), ',', 0, record, &recorder), 0);
    EXPECT_EQ(recorder.pieces, (std::vector<Piece> {{0, 1}}));
}

TEST(SplitWithCallback, RefusesBadStartsNullCallbacksAndNullStrings)
{
    OwnedString b = owned(fromCString("abc"));
    Recorder recorder;
    EXPECT_EQ(splitWithCallback(b.get(), ',', -1, record, &recorder), -1);
    EXPECT_EQ(splitWithCallback(b.get(), ',', 4, record, &recorder), -1);
    EXPECT_EQ(splitWithCallback(b.get(), ',', 0, nullptr, &recorder), -1);
    EXPECT_EQ(splitWithCallback(nullptr, ',', 0, record, &recorder), -1);
    EXPECT_TRUE(recorder.pieces.empty());
}
