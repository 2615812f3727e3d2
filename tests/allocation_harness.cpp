#include "allocation_harness.h"

#include "allocator.h"

#include <cstdlib>
#include <unordered_set>

namespace {

struct HarnessState {
    allocation::Allocator previous{};
    AllocationHarness::Failure failure = AllocationHarness::Failure::None;
    int failAt = 0;
    int requests = 0;
    std::vector<AllocationHarness::Request> log;
    std::unordered_set<void*> live;
};

HarnessState* state = nullptr;

bool nextRequestFails(AllocationHarness::Kind kind, size_t size) {
    state->requests += 1;
    bool fails = (state->failure == AllocationHarness::Failure::OnlyAt && state->requests == state->failAt) ||
                 (state->failure == AllocationHarness::Failure::FromOn && state->requests >= state->failAt);
    state->log.push_back({kind, size, fails});
    return fails;
}

void* countedAllocate(size_t size) {
    if (nextRequestFails(AllocationHarness::Kind::Allocate, size)) return nullptr;
    void* block = std::malloc(size);
    if (block != nullptr) state->live.insert(block);
    return block;
}

void* countedAllocateZeroed(size_t count, size_t size) {
    if (nextRequestFails(AllocationHarness::Kind::AllocateZeroed, count * size)) return nullptr;
    void* block = std::calloc(count, size);
    if (block != nullptr) state->live.insert(block);
    return block;
}

void* countedResize(void* block, size_t size) {
    if (nextRequestFails(AllocationHarness::Kind::Resize, size)) return nullptr;
    // Blocks from before the harness was installed pass through untracked.
    bool tracked = block == nullptr || state->live.count(block) != 0;
    void* resized = std::realloc(block, size);
    if (resized != nullptr && tracked) {
        state->live.erase(block);
        state->live.insert(resized);
    }
    return resized;
}

void countedRelease(void* block) {
    state->live.erase(block);
    std::free(block);
}

}  // namespace

AllocationHarness::AllocationHarness() {
    state = new HarnessState;
    state->previous = allocation::installAllocator(
        allocation::Allocator{countedAllocate, countedResize, countedAllocateZeroed, countedRelease});
}

AllocationHarness::~AllocationHarness() {
    allocation::installAllocator(state->previous);
    delete state;
    state = nullptr;
}

void AllocationHarness::arm(Failure failure, int k) {
    state->failure = failure;
    state->failAt = k;
    state->requests = 0;
    state->log.clear();
}

void AllocationHarness::disarm() { state->failure = Failure::None; }

int AllocationHarness::requests() const { return state->requests; }
const std::vector<AllocationHarness::Request>& AllocationHarness::log() const { return state->log; }
long AllocationHarness::liveBlocks() const { return static_cast<long>(state->live.size()); }

bool StringState::operator==(const StringState& other) const {
    return capacity == other.capacity && length == other.length && bytesWithTerminator == other.bytesWithTerminator;
}

StringState stateOf(const ByteString* b) {
    return StringState{b->capacity, b->length, std::string(b->data, static_cast<size_t>(b->length) + 1)};
}

void PrintTo(const StringState& s, std::ostream* out) {
    *out << "capacity " << s.capacity << ", length " << s.length << ", bytes ";
    *out << testing::PrintToString(s.bytesWithTerminator);
}
