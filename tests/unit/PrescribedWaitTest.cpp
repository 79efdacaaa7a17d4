#include <gtest/gtest.h>

#include <thread>

#include "platform/PrescribedWait.h"

using namespace std::chrono_literals;

TEST(PrescribedWait, EachThreadBooksOnlyItsOwnWaits) {
    const auto before = platform::PrescribedWaitSoFar();
    platform::PrescribedSleep(10ms);
    const auto mine = platform::PrescribedWaitSoFar();
    EXPECT_GE((mine - before).count(), 10);

    std::chrono::milliseconds start{-1};
    std::chrono::milliseconds booked{-1};
    std::thread neighbour([&] {
        start = platform::PrescribedWaitSoFar();
        // Sleeping outside the ledger books nothing; a bounded wait books its whole span.
        std::this_thread::sleep_for(5ms);
        {
            const platform::PrescribedWait wait;
            std::this_thread::sleep_for(15ms);
        }
        booked = platform::PrescribedWaitSoFar() - start;
    });
    neighbour.join();
    EXPECT_EQ(start.count(), 0) << "a new thread starts with nothing booked";
    EXPECT_GE(booked.count(), 15);
    EXPECT_EQ(platform::PrescribedWaitSoFar(), mine) << "the neighbour's waits are its own";
}
