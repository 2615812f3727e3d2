// Drives a random sequence of byte-string operations over a few strings and
// compares every string with a std::string that went through the same edits.
// After each step every live string must hold its record invariants and the
// model's bytes; a refused or failed operation must leave its operands as they
// were. Every allocation is counted, so a run must end with nothing left over,
// and some steps run with a chosen allocation failing.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shaderstore/bytestring.h"
#include "fuzz_check.h"
#include "store_allocation_counting.h"

namespace {

constexpr int SlotCount = 4;
constexpr int32_t PositionLimit = 300;
// Self-concatenation doubles a string; beyond this the run would only measure memcpy.
constexpr size_t LengthLimit = 1 << 16;
constexpr int MaxSteps = 200;

// Counts the blocks the library holds and fails chosen allocations.
AllocationCounter counter;

struct Slot {
    ByteString* string = nullptr;
    std::string model;
};

struct Snapshot {
    int32_t capacity;
    int32_t length;
    const char* data;
    std::string bytes;
};

Snapshot snapshotOf(const ByteString* s)
{
    Snapshot shot {s->capacity, s->length, s->data, {}};
    if (s->data != nullptr && s->length >= 0 && s->capacity > s->length)
        shot.bytes.assign(s->data, static_cast<size_t>(s->length) + 1);
    return shot;
}

void requireUnchanged(const ByteString* s, const Snapshot& before)
{
    FUZZ_REQUIRE(s->capacity == before.capacity);
    FUZZ_REQUIRE(s->length == before.length);
    FUZZ_REQUIRE(s->data == before.data);
    FUZZ_REQUIRE(before.bytes.empty() || std::memcmp(s->data, before.bytes.data(), before.bytes.size()) == 0);
}

bool isPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

int32_t expectedSnapCapacity(int32_t n)
{
    if (n < 8)
        return 8;
    int64_t power = 16;
    while (power <= n)
        power *= 2;
    return power > INT32_MAX ? n : static_cast<int32_t>(power);
}

void requireMatches(const ByteString* s, const std::string& model)
{
    FUZZ_REQUIRE(s != nullptr);
    FUZZ_REQUIRE(s->data != nullptr);
    FUZZ_REQUIRE(s->length >= 0 && s->length < s->capacity);
    FUZZ_REQUIRE(static_cast<size_t>(s->length) == model.size());
    FUZZ_REQUIRE(std::memcmp(s->data, model.data(), model.size()) == 0);
    FUZZ_REQUIRE(s->data[s->length] == 0);
}

// Constructors size a new buffer by the capacity rule alone.
void requireFresh(const ByteString* s, const std::string& model)
{
    requireMatches(s, model);
    FUZZ_REQUIRE(s->capacity == bytestring::snapCapacity(s->length + 1));
}

// Growth only ever goes to a power of two, and a buffer never shrinks.
void requireWritten(const Slot& slot, int32_t capacityBefore)
{
    requireMatches(slot.string, slot.model);
    FUZZ_REQUIRE(slot.string->capacity >= capacityBefore);
    FUZZ_REQUIRE(slot.string->capacity == capacityBefore || isPowerOfTwo(slot.string->capacity));
}

void replace(Slot& slot, ByteString* made, std::string model)
{
    if (slot.string != nullptr)
        FUZZ_REQUIRE(bytestring::destroy(slot.string) == 0);
    slot.string = made;
    slot.model = std::move(model);
}

std::string cText(const std::string& bytes) { return std::string(bytes.c_str()); }

std::vector<std::string> expectedPieces(const std::string& text, char separator, size_t start)
{
    std::vector<std::string> pieces;
    size_t position = start;
    for (;;) {
        size_t end = text.find(separator, position);
        if (end == std::string::npos) {
            pieces.push_back(text.substr(position));
            return pieces;
        }
        pieces.push_back(text.substr(position, end - position));
        position = end + 1;
    }
}

struct PieceLog {
    std::vector<std::pair<int32_t, int32_t>> pieces;
    int stopAt;
};

constexpr int StopValue = -7;

int recordPiece(void* context, int32_t position, int32_t length)
{
    auto* log = static_cast<PieceLog*>(context);
    log->pieces.emplace_back(position, length);
    return static_cast<int>(log->pieces.size()) - 1 == log->stopAt ? StopValue : 0;
}

struct Source {
    std::string bytes;
    size_t offset;
    size_t chunkLimit;
    std::vector<size_t> requests;
};

size_t readSource(void* destination, size_t elementSize, size_t elementCount, void* context)
{
    auto* source = static_cast<Source*>(context);
    FUZZ_REQUIRE(elementSize == 1);
    source->requests.push_back(elementCount);
    size_t count = std::min({elementCount, source->bytes.size() - source->offset, source->chunkLimit});
    std::memcpy(destination, source->bytes.data() + source->offset, count);
    source->offset += count;
    return count;
}

// The reads start at 16 bytes past the current length and double up to 1,024.
void requireReadSizes(const Source& source, size_t startLength)
{
    size_t target = startLength + 16;
    size_t length = startLength;
    size_t delivered = 0;
    for (size_t i = 0; i < source.requests.size(); ++i) {
        FUZZ_REQUIRE(source.requests[i] == target - length);
        size_t got = std::min({source.requests[i], source.bytes.size() - delivered, source.chunkLimit});
        delivered += got;
        length += got;
        if (length < target) {
            FUZZ_REQUIRE(i + 1 == source.requests.size());
            return;
        }
        target += target < 1024 ? target : 1024;
    }
    FUZZ_REQUIRE(false);
}

enum Corruption { NegativeLength, NullData, ZeroCapacity, CapacityBelowLength, CorruptionCount };

ByteString corrupted(const ByteString* s, int kind)
{
    ByteString copy = *s;
    switch (kind) {
    case NegativeLength:
        copy.length = -1;
        break;
    case NullData:
        copy.data = nullptr;
        break;
    case ZeroCapacity:
        copy.capacity = 0;
        break;
    default:
        copy.capacity = copy.length - 1;
        break;
    }
    return copy;
}

// Every operation must refuse a damaged record and touch neither it nor its buffer.
void refuseDamaged(Slot& slot, const Slot& other, int kind, FuzzedDataProvider& input)
{
    ByteString damaged = corrupted(slot.string, kind);
    Snapshot before = snapshotOf(&damaged);
    int32_t position = input.ConsumeIntegralInRange<int32_t>(0, PositionLimit);
    char byte = input.ConsumeIntegral<char>();
    Source source {"abc", 0, 16, {}};
    FUZZ_REQUIRE(bytestring::appendChar(&damaged, byte) == -1);
    FUZZ_REQUIRE(bytestring::insertFill(&damaged, position, 3, byte) == -1);
    FUZZ_REQUIRE(bytestring::ensureCapacity(&damaged, slot.string->capacity + 100) == -1);
    FUZZ_REQUIRE(bytestring::readStream(&damaged, readSource, &source) == -1);
    FUZZ_REQUIRE(source.requests.empty());
    if (other.string != nullptr) {
        FUZZ_REQUIRE(bytestring::concatenate(&damaged, other.string) == -1);
        FUZZ_REQUIRE(bytestring::insert(&damaged, position, other.string, byte) == -1);
    }
    requireUnchanged(&damaged, before);
    FUZZ_REQUIRE(bytestring::destroy(&damaged) == -1);
    requireUnchanged(&damaged, before);
    if (kind == NegativeLength || kind == NullData) {
        // Readers only refuse what they cannot read at all.
        FUZZ_REQUIRE(bytestring::copy(&damaged) == nullptr);
        FUZZ_REQUIRE(bytestring::substring(&damaged, 0, 4) == nullptr);
        FUZZ_REQUIRE(bytestring::split(&damaged, '.') == nullptr);
        PieceLog log {{}, -1};
        FUZZ_REQUIRE(bytestring::splitWithCallback(&damaged, '.', 0, recordPiece, &log) == -1);
        FUZZ_REQUIRE(log.pieces.empty());
        FUZZ_REQUIRE(bytestring::equals(&damaged, slot.string) == -1);
        FUZZ_REQUIRE(bytestring::find(slot.string, &damaged) == -1);
        int32_t capacityBefore = slot.string->capacity;
        FUZZ_REQUIRE(bytestring::concatenate(slot.string, &damaged) == -1);
        FUZZ_REQUIRE(bytestring::insert(slot.string, 0, &damaged, byte) == -1);
        requireWritten(slot, capacityBefore);
    }
    requireMatches(slot.string, slot.model);
}

std::string expectedSubstring(const std::string& text, int32_t position, int32_t count)
{
    if (position < 0) {
        count += position;
        position = 0;
    }
    int64_t left = static_cast<int64_t>(text.size()) - position;
    if (count > left)
        count = static_cast<int32_t>(left);
    if (count <= 0)
        return std::string();
    return text.substr(static_cast<size_t>(position), static_cast<size_t>(count));
}

void insertExpected(std::string& text, size_t position, const std::string& bytes, char fill)
{
    if (position > text.size())
        text.resize(position, fill);
    text.insert(position, bytes);
}

// A source that is a window into the destination's own buffer.
ByteString windowInto(const ByteString* s, FuzzedDataProvider& input)
{
    int32_t start = input.ConsumeIntegralInRange<int32_t>(0, s->length);
    int32_t count = input.ConsumeIntegralInRange<int32_t>(0, s->length - start);
    return ByteString {s->capacity - start, count, s->data + start};
}

enum Operation {
    FromCString,
    FromBytes,
    FromCStringMin,
    Copy,
    Substring,
    Format,
    Concatenate,
    ConcatenateWindow,
    AppendChar,
    Insert,
    InsertWindow,
    InsertFill,
    EnsureCapacity,
    Equals,
    Find,
    Split,
    SplitWithCallback,
    ReadStream,
    Destroy,
    Damaged,
    SnapCapacity,
    UnderFailure,
    OperationCount
};

void stepUnderFailure(Slot& target, const Slot& other, FuzzedDataProvider& input);

void step(Slot (&slots)[SlotCount], FuzzedDataProvider& input)
{
    auto operation = static_cast<Operation>(input.ConsumeIntegralInRange<int>(0, OperationCount - 1));
    Slot& target = slots[input.ConsumeIntegralInRange<int>(0, SlotCount - 1)];
    const Slot& other = slots[input.ConsumeIntegralInRange<int>(0, SlotCount - 1)];
    ByteString* d = target.string;
    const int32_t capacityBefore = d != nullptr ? d->capacity : 0;
    const Snapshot before = d != nullptr ? snapshotOf(d) : Snapshot {};
    const bool roomToGrow = target.model.size() + other.model.size() <= LengthLimit;

    switch (operation) {
    case FromCString: {
        std::string text = cText(input.ConsumeRandomLengthString(64));
        ByteString* made = bytestring::fromCString(text.c_str());
        requireFresh(made, text);
        replace(target, made, text);
        break;
    }
    case FromBytes: {
        std::string bytes = input.ConsumeRandomLengthString(64);
        int32_t count = input.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(bytes.size()));
        ByteString* made = bytestring::fromBytes(bytes.data(), count);
        if (count < 0) {
            FUZZ_REQUIRE(made == nullptr);
            break;
        }
        bytes.resize(static_cast<size_t>(count));
        requireFresh(made, bytes);
        replace(target, made, bytes);
        break;
    }
    case FromCStringMin: {
        int32_t minimum = input.ConsumeIntegralInRange<int32_t>(-8, 600);
        std::string text = cText(input.ConsumeRandomLengthString(64));
        ByteString* made = bytestring::fromCStringMin(minimum, text.c_str());
        requireMatches(made, text);
        FUZZ_REQUIRE(made->capacity >= minimum);
        replace(target, made, text);
        break;
    }
    case Copy: {
        ByteString* made = bytestring::copy(other.string);
        if (other.string == nullptr) {
            FUZZ_REQUIRE(made == nullptr);
            break;
        }
        requireFresh(made, other.model);
        replace(target, made, other.model);
        break;
    }
    case Substring: {
        int32_t position = input.ConsumeIntegralInRange<int32_t>(-PositionLimit, PositionLimit);
        int32_t count = input.ConsumeIntegralInRange<int32_t>(-PositionLimit, PositionLimit);
        ByteString* made = bytestring::substring(other.string, position, count);
        if (other.string == nullptr) {
            FUZZ_REQUIRE(made == nullptr);
            break;
        }
        std::string expected = expectedSubstring(other.model, position, count);
        requireFresh(made, expected);
        replace(target, made, expected);
        break;
    }
    case Format: {
        int value = input.ConsumeIntegral<int>();
        int width = input.ConsumeIntegralInRange<int>(0, 3000);
        std::string expected;
        ByteString* made = nullptr;
        switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            if (other.string == nullptr)
                return;
            made = bytestring::format("'%s'", other.string->data);
            expected = "'" + cText(other.model) + "'";
            break;
        case 1:
            made = bytestring::format("#line %d\n", value);
            expected = "#line " + std::to_string(value) + "\n";
            break;
        default:
            // Wider than the first budget, so the text has to be formatted again.
            made = bytestring::format("%*d|", width, value);
            expected = std::to_string(value) + "|";
            expected.insert(0, static_cast<size_t>(std::max(0, width + 1 - static_cast<int>(expected.size()))), ' ');
            break;
        }
        requireMatches(made, expected);
        replace(target, made, expected);
        break;
    }
    case Concatenate: {
        if (!roomToGrow)
            return;
        int result = bytestring::concatenate(d, other.string);
        if (d == nullptr || other.string == nullptr) {
            FUZZ_REQUIRE(result == -1);
            if (d != nullptr)
                requireUnchanged(d, before);
            break;
        }
        FUZZ_REQUIRE(result == 0);
        target.model += std::string(other.model);
        requireWritten(target, capacityBefore);
        break;
    }
    case ConcatenateWindow: {
        if (d == nullptr || target.model.size() * 2 > LengthLimit)
            return;
        ByteString window = windowInto(d, input);
        std::string bytes =
            target.model.substr(static_cast<size_t>(window.data - d->data), static_cast<size_t>(window.length));
        FUZZ_REQUIRE(bytestring::concatenate(d, &window) == 0);
        target.model += bytes;
        requireWritten(target, capacityBefore);
        break;
    }
    case AppendChar: {
        char byte = input.ConsumeIntegral<char>();
        int result = bytestring::appendChar(d, byte);
        if (d == nullptr) {
            FUZZ_REQUIRE(result == -1);
            break;
        }
        FUZZ_REQUIRE(result == 0);
        target.model += byte;
        requireWritten(target, capacityBefore);
        break;
    }
    case Insert: {
        int32_t position = input.ConsumeIntegralInRange<int32_t>(-3, PositionLimit);
        char fill = input.ConsumeIntegral<char>();
        if (!roomToGrow)
            return;
        int result = bytestring::insert(d, position, other.string, fill);
        if (d == nullptr || other.string == nullptr || position < 0) {
            FUZZ_REQUIRE(result == -1);
            if (d != nullptr)
                requireUnchanged(d, before);
            break;
        }
        FUZZ_REQUIRE(result == 0);
        insertExpected(target.model, static_cast<size_t>(position), std::string(other.model), fill);
        requireWritten(target, capacityBefore);
        break;
    }
    case InsertWindow: {
        if (d == nullptr || target.model.size() * 2 > LengthLimit)
            return;
        ByteString window = windowInto(d, input);
        int32_t position = input.ConsumeIntegralInRange<int32_t>(0, d->length + 20);
        char fill = input.ConsumeIntegral<char>();
        std::string bytes =
            target.model.substr(static_cast<size_t>(window.data - d->data), static_cast<size_t>(window.length));
        FUZZ_REQUIRE(bytestring::insert(d, position, &window, fill) == 0);
        insertExpected(target.model, static_cast<size_t>(position), bytes, fill);
        requireWritten(target, capacityBefore);
        break;
    }
    case InsertFill: {
        int32_t position = input.ConsumeIntegralInRange<int32_t>(-3, PositionLimit);
        int32_t count = input.ConsumeIntegralInRange<int32_t>(-3, PositionLimit);
        char fill = input.ConsumeIntegral<char>();
        if (target.model.size() > LengthLimit)
            return;
        int result = bytestring::insertFill(d, position, count, fill);
        if (d == nullptr || position < 0 || count < 0) {
            FUZZ_REQUIRE(result == -1);
            if (d != nullptr)
                requireUnchanged(d, before);
            break;
        }
        FUZZ_REQUIRE(result == 0);
        insertExpected(target.model, static_cast<size_t>(position), std::string(static_cast<size_t>(count), fill),
                       fill);
        requireWritten(target, capacityBefore);
        break;
    }
    case EnsureCapacity: {
        int32_t wanted = input.ConsumeIntegralInRange<int32_t>(-4, 4096);
        int result = bytestring::ensureCapacity(d, wanted);
        if (d == nullptr || wanted <= 0) {
            FUZZ_REQUIRE(result == -1);
            if (d != nullptr)
                requireUnchanged(d, before);
            break;
        }
        FUZZ_REQUIRE(result == 0);
        requireWritten(target, capacityBefore);
        FUZZ_REQUIRE(d->capacity == (wanted < capacityBefore ? capacityBefore : bytestring::snapCapacity(wanted)));
        break;
    }
    case Equals: {
        int result = bytestring::equals(d, other.string);
        if (d == nullptr || other.string == nullptr)
            FUZZ_REQUIRE(result == -1);
        else
            FUZZ_REQUIRE(result == (target.model == other.model ? 1 : 0));
        break;
    }
    case Find: {
        int32_t result = bytestring::find(d, other.string);
        if (d == nullptr || other.string == nullptr) {
            FUZZ_REQUIRE(result == -1);
            break;
        }
        size_t expected = target.model.find(other.model);
        FUZZ_REQUIRE(result == (expected == std::string::npos ? -1 : static_cast<int32_t>(expected)));
        break;
    }
    case Split: {
        char separator = input.ConsumeBool() ? '.' : input.ConsumeIntegral<char>();
        ByteStringList* list = bytestring::split(d, separator);
        if (d == nullptr) {
            FUZZ_REQUIRE(list == nullptr);
            break;
        }
        std::vector<std::string> pieces = expectedPieces(target.model, separator, 0);
        FUZZ_REQUIRE(list != nullptr);
        FUZZ_REQUIRE(list->count == static_cast<int32_t>(pieces.size()));
        FUZZ_REQUIRE(list->capacity >= list->count);
        for (size_t i = 0; i < pieces.size(); ++i)
            requireFresh(list->entries[i], pieces[i]);
        FUZZ_REQUIRE(bytestring::destroyList(list) == 0);
        break;
    }
    case SplitWithCallback: {
        char separator = input.ConsumeBool() ? '.' : input.ConsumeIntegral<char>();
        int32_t start = input.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(target.model.size()) + 2);
        PieceLog log {{}, input.ConsumeIntegralInRange<int>(-1, 8)};
        int result = bytestring::splitWithCallback(d, separator, start, recordPiece, &log);
        if (d == nullptr || start < 0 || start > d->length) {
            FUZZ_REQUIRE(result == -1);
            FUZZ_REQUIRE(log.pieces.empty());
            break;
        }
        std::vector<std::string> pieces = expectedPieces(target.model, separator, static_cast<size_t>(start));
        bool stopped = log.stopAt >= 0 && static_cast<size_t>(log.stopAt) < pieces.size();
        FUZZ_REQUIRE(result == (stopped ? StopValue : 0));
        FUZZ_REQUIRE(log.pieces.size() == (stopped ? static_cast<size_t>(log.stopAt) + 1 : pieces.size()));
        int32_t position = start;
        for (size_t i = 0; i < log.pieces.size(); ++i) {
            FUZZ_REQUIRE(log.pieces[i].first == position);
            FUZZ_REQUIRE(log.pieces[i].second == static_cast<int32_t>(pieces[i].size()));
            position += log.pieces[i].second + 1;
        }
        FUZZ_REQUIRE(bytestring::splitWithCallback(d, separator, 0, nullptr, nullptr) == -1);
        break;
    }
    case ReadStream: {
        Source source {input.ConsumeRandomLengthString(3000), 0, input.ConsumeIntegralInRange<size_t>(1, 2048), {}};
        if (target.model.size() + source.bytes.size() > LengthLimit)
            return;
        int result = bytestring::readStream(d, readSource, &source);
        if (d == nullptr) {
            FUZZ_REQUIRE(result == -1);
            FUZZ_REQUIRE(source.requests.empty());
            break;
        }
        FUZZ_REQUIRE(result == 0);
        requireReadSizes(source, target.model.size());
        target.model += source.bytes.substr(0, source.offset);
        requireWritten(target, capacityBefore);
        FUZZ_REQUIRE(bytestring::readStream(d, nullptr, nullptr) == -1);
        break;
    }
    case Destroy:
        if (d == nullptr) {
            FUZZ_REQUIRE(bytestring::destroy(nullptr) == -1);
            break;
        }
        FUZZ_REQUIRE(bytestring::destroy(d) == 0);
        target.string = nullptr;
        target.model.clear();
        break;
    case Damaged:
        if (d != nullptr)
            refuseDamaged(target, other, input.ConsumeIntegralInRange<int>(0, CorruptionCount - 1), input);
        break;
    case SnapCapacity: {
        int32_t n = input.ConsumeIntegral<int32_t>();
        FUZZ_REQUIRE(bytestring::snapCapacity(n) == expectedSnapCapacity(n));
        break;
    }
    case UnderFailure:
        stepUnderFailure(target, other, input);
        break;
    case OperationCount:
        break;
    }
}

// A failed write leaves the string exactly as it was and keeps nothing it allocated.
void settleWrite(Slot& target, int result, const Snapshot& before, size_t liveBefore, std::string expected)
{
    if (result == -1) {
        requireUnchanged(target.string, before);
        FUZZ_REQUIRE(counter.liveBlocks.size() == liveBefore);
        return;
    }
    FUZZ_REQUIRE(result == 0);
    target.model = std::move(expected);
    requireMatches(target.string, target.model);
}

// A failed constructor releases whatever it had made.
void settleMade(Slot& target, ByteString* made, size_t liveBefore, const std::string& expected)
{
    if (made == nullptr) {
        FUZZ_REQUIRE(counter.liveBlocks.size() == liveBefore);
        return;
    }
    requireMatches(made, expected);
    replace(target, made, expected);
}

enum FailingOperation {
    FailAppendChar,
    FailConcatenate,
    FailConcatenateSelf,
    FailInsertWindow,
    FailInsertFill,
    FailEnsureCapacity,
    FailReadStream,
    FailCopy,
    FailSubstring,
    FailFromBytes,
    FailFromCStringMin,
    FailSplit,
    FailFormat,
    FailingCount
};

// Runs one operation while the k-th allocation from now fails (and, when
// persistent, every one after it), so the fallbacks and the clean-up paths run.
void stepUnderFailure(Slot& target, const Slot& other, FuzzedDataProvider& input)
{
    auto operation = static_cast<FailingOperation>(input.ConsumeIntegralInRange<int>(0, FailingCount - 1));
    const int countdown = input.ConsumeIntegralInRange<int>(0, 6);
    const bool persistent = input.ConsumeBool();
    const char byte = input.ConsumeIntegral<char>();
    const int32_t position = input.ConsumeIntegralInRange<int32_t>(0, PositionLimit);
    const int32_t count = input.ConsumeIntegralInRange<int32_t>(0, PositionLimit);
    ByteString* d = target.string;
    const bool writes = operation <= FailReadStream;
    if ((writes && d == nullptr) ||
        (!writes && operation != FailFromBytes && operation != FailFromCStringMin && operation != FailFormat &&
         other.string == nullptr))
        return;
    if (target.model.size() + other.model.size() + 2 * PositionLimit > LengthLimit)
        return;
    const Snapshot before = d != nullptr ? snapshotOf(d) : Snapshot {};
    const size_t liveBefore = counter.liveBlocks.size();
    const std::string otherModel = other.model;
    std::string expected = target.model;
    auto arm = [&] {
        armAllocationFailure(counter, persistent ? AllocationFailure::FromOn : AllocationFailure::OnlyAt,
                             countdown + 1);
    };
    auto disarm = [] { disarmAllocationFailure(counter); };
    // Growth has two fallbacks, so one failed allocation cannot make it fail;
    // these writers allocate nothing else when the source lies elsewhere.
    auto mustSurvive = [&](int result) { FUZZ_REQUIRE(persistent || result == 0); };

    switch (operation) {
    case FailAppendChar: {
        arm();
        int result = bytestring::appendChar(d, byte);
        disarm();
        mustSurvive(result);
        settleWrite(target, result, before, liveBefore, expected + byte);
        break;
    }
    case FailConcatenate: {
        arm();
        int result = bytestring::concatenate(d, other.string);
        disarm();
        if (other.string == nullptr)
            FUZZ_REQUIRE(result == -1);
        else if (&other != &target)
            mustSurvive(result);
        settleWrite(target, result, before, liveBefore, expected + otherModel);
        break;
    }
    case FailConcatenateSelf: {
        arm();
        int result = bytestring::concatenate(d, d);
        disarm();
        settleWrite(target, result, before, liveBefore, expected + expected);
        break;
    }
    case FailInsertWindow: {
        ByteString window = windowInto(d, input);
        std::string bytes =
            expected.substr(static_cast<size_t>(window.data - d->data), static_cast<size_t>(window.length));
        arm();
        int result = bytestring::insert(d, position, &window, byte);
        disarm();
        insertExpected(expected, static_cast<size_t>(position), bytes, byte);
        settleWrite(target, result, before, liveBefore, expected);
        break;
    }
    case FailInsertFill: {
        arm();
        int result = bytestring::insertFill(d, position, count, byte);
        disarm();
        mustSurvive(result);
        insertExpected(expected, static_cast<size_t>(position), std::string(static_cast<size_t>(count), byte), byte);
        settleWrite(target, result, before, liveBefore, expected);
        break;
    }
    case FailEnsureCapacity: {
        int32_t wanted = count + 1;
        arm();
        int result = bytestring::ensureCapacity(d, wanted);
        disarm();
        mustSurvive(result);
        settleWrite(target, result, before, liveBefore, expected);
        // The last fallback sizes the buffer exactly as asked.
        FUZZ_REQUIRE(result == -1 || d->capacity >= wanted);
        break;
    }
    case FailReadStream: {
        Source source {input.ConsumeRandomLengthString(3000), 0, 2048, {}};
        arm();
        int result = bytestring::readStream(d, readSource, &source);
        disarm();
        if (result == 0) {
            settleWrite(target, result, before, liveBefore, expected + source.bytes);
            break;
        }
        // After a failed read the string is only fit for release.
        FUZZ_REQUIRE(result == -1);
        FUZZ_REQUIRE(bytestring::destroy(d) == 0);
        target.string = nullptr;
        target.model.clear();
        FUZZ_REQUIRE(counter.liveBlocks.size() == liveBefore - 2);
        break;
    }
    case FailCopy: {
        arm();
        ByteString* made = bytestring::copy(other.string);
        disarm();
        settleMade(target, made, liveBefore, otherModel);
        if (made != nullptr)
            FUZZ_REQUIRE(made->capacity == bytestring::snapCapacity(made->length + 1) ||
                         made->capacity == made->length + 1);
        break;
    }
    case FailSubstring: {
        int32_t start = position - PositionLimit / 2;
        arm();
        ByteString* made = bytestring::substring(other.string, start, count);
        disarm();
        settleMade(target, made, liveBefore, expectedSubstring(otherModel, start, count));
        break;
    }
    case FailFromBytes: {
        std::string bytes = input.ConsumeRandomLengthString(64);
        arm();
        ByteString* made = bytestring::fromBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
        disarm();
        settleMade(target, made, liveBefore, bytes);
        break;
    }
    case FailFromCStringMin: {
        std::string text = cText(input.ConsumeRandomLengthString(64));
        arm();
        ByteString* made = bytestring::fromCStringMin(count, text.c_str());
        disarm();
        settleMade(target, made, liveBefore, text);
        break;
    }
    case FailSplit: {
        arm();
        ByteStringList* list = bytestring::split(other.string, byte);
        disarm();
        if (list == nullptr) {
            FUZZ_REQUIRE(counter.liveBlocks.size() == liveBefore);
            break;
        }
        // A piece whose allocation failed is a null entry; the others are whole.
        std::vector<std::string> pieces = expectedPieces(otherModel, byte, 0);
        FUZZ_REQUIRE(list->count == static_cast<int32_t>(pieces.size()));
        for (size_t i = 0; i < pieces.size(); ++i)
            if (list->entries[i] != nullptr)
                requireMatches(list->entries[i], pieces[i]);
        FUZZ_REQUIRE(bytestring::destroyList(list) == 0);
        FUZZ_REQUIRE(counter.liveBlocks.size() == liveBefore);
        break;
    }
    case FailFormat: {
        std::string text = std::to_string(position) + "|";
        text.insert(0, static_cast<size_t>(std::max(0, count * 8 + 1 - static_cast<int>(text.size()))), ' ');
        arm();
        ByteString* made = bytestring::format("%*d|", count * 8, position);
        disarm();
        settleMade(target, made, liveBefore, text);
        break;
    }
    case FailingCount:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    // The log keeps this input's requests only.
    armAllocationFailure(counter, AllocationFailure::None, 0);
    Slot slots[SlotCount];
    for (int steps = 0; steps < MaxSteps && input.remaining_bytes() > 0; ++steps) {
        step(slots, input);
        for (const Slot& slot : slots)
            if (slot.string != nullptr)
                requireMatches(slot.string, slot.model);
    }
    for (Slot& slot : slots)
        if (slot.string != nullptr)
            FUZZ_REQUIRE(bytestring::destroy(slot.string) == 0);
    FUZZ_REQUIRE(counter.liveBlocks.empty());
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    startCountingStoreAllocations(counter);
    return 0;
}
