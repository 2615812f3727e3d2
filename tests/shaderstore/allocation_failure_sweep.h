#pragma once

#include <gtest/gtest.h>

#include "allocation_counter.h"

// Every failure point of an operation: scenario(counter, failure, k) sets up
// its inputs, arms the counter, runs the operation, disarms, checks the
// outcome and releases its inputs. It runs once unarmed to learn how many
// requests the operation makes, then once per request with only that one
// failing and once with it and all later ones failing. Every run must leave
// no block live.
template <typename Scenario> int exerciseEveryFailure(AllocationCounter& counter, Scenario scenario)
{
    armAllocationFailure(counter, AllocationFailure::None, 0);
    scenario(counter, AllocationFailure::None, 0);
    const int requests = counter.requests;
    EXPECT_EQ(counter.liveBlocks.size(), 0u) << "leak without any failure";
    for (int k = 1; k <= requests; ++k) {
        for (auto failure : {AllocationFailure::OnlyAt, AllocationFailure::FromOn}) {
            SCOPED_TRACE(testing::Message() << (failure == AllocationFailure::OnlyAt ? "only" : "from") << " request "
                                            << k << " of " << requests);
            scenario(counter, failure, k);
            EXPECT_EQ(counter.liveBlocks.size(), 0u) << "leak after a failed request";
        }
    }
    return requests;
}
