#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bytestring.h"

// Replaces the allocator of the byte strings and the store while it lives:
// counts every request, tracks the blocks that are live, and can make chosen
// requests fail, so that leaks and unchecked failures show up in tests.
class AllocationHarness {
public:
    enum class Failure { None, OnlyAt, FromOn };
    enum class Kind { Allocate, Resize, AllocateZeroed };
    struct Request {
        Kind kind;
        size_t size;
        bool failed;
    };

    AllocationHarness();
    ~AllocationHarness();
    AllocationHarness(const AllocationHarness&) = delete;
    AllocationHarness& operator=(const AllocationHarness&) = delete;

    // Starts counting requests from 1 again; the k-th one fails (OnlyAt) or it and
    // every later one fail (FromOn).
    void arm(Failure failure, int k);
    // Every request succeeds again; the count and log are kept.
    void disarm();

    int requests() const;
    const std::vector<Request>& log() const;
    // Blocks handed out since the harness was installed and not yet released.
    long liveBlocks() const;
};

// The observable state of a string: capacity, length, and the bytes in use with the terminator.
struct StringState {
    int32_t capacity;
    int32_t length;
    std::string bytesWithTerminator;
    bool operator==(const StringState& other) const;
};
StringState stateOf(const ByteString* b);
void PrintTo(const StringState& state, std::ostream* out);

// Every failure point of an operation: scenario(harness, failure, k) sets up its
// inputs, arms the harness, runs the operation, disarms, checks the outcome and
// releases its inputs. It runs once unarmed to learn how many requests the
// operation makes, then once per request with only that one failing and once with
// it and all later ones failing. Every run must leave no block live.
template <typename Scenario>
int exerciseEveryFailure(AllocationHarness& harness, Scenario scenario) {
    harness.arm(AllocationHarness::Failure::None, 0);
    scenario(harness, AllocationHarness::Failure::None, 0);
    const int requests = harness.requests();
    EXPECT_EQ(harness.liveBlocks(), 0) << "leak without any failure";
    for (int k = 1; k <= requests; ++k) {
        for (auto failure : {AllocationHarness::Failure::OnlyAt, AllocationHarness::Failure::FromOn}) {
            SCOPED_TRACE(testing::Message() << (failure == AllocationHarness::Failure::OnlyAt ? "only" : "from")
                                            << " request " << k << " of " << requests);
            scenario(harness, failure, k);
            EXPECT_EQ(harness.liveBlocks(), 0) << "leak after a failed request";
        }
    }
    return requests;
}
