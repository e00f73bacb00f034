#include "io/FlaggedEvent.h"
#include "io/SysEvent.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

TEST(Event, StaysSetUntilResetTimesOutWhenClearAndWakesAnotherThread)
{
    TKvEvent event;
    ASSERT_TRUE(event.Valid());
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(10));  // manual reset: a wait does not clear it
    event.Reset();
    EXPECT_FALSE(event.Wait(20));
    event.Reset();  // resetting a clear event is harmless
    EXPECT_FALSE(event.Wait(0));

    auto start = std::chrono::steady_clock::now();
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        event.Set();
    });
    EXPECT_TRUE(event.Wait(KvWaitInfinite));
    setter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(FlaggedEvent, AgreesWithItsSystemEventAndWakesASleepingWaiter)
{
    TKvFlaggedEvent event;
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(20));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(KvWaitInfinite));
    event.Reset();
    EXPECT_FALSE(event.Wait(20)) << "a reset clears the memory state and the system event";

    // The waiter finds the memory state clear and sleeps in the system wait;
    // the value written before Set is visible once the wait returns.
    int handedOver = 0;
    auto start = std::chrono::steady_clock::now();
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        handedOver = 7;
        event.Set();
    });
    EXPECT_TRUE(event.Wait(KvWaitInfinite));
    EXPECT_EQ(handedOver, 7);
    setter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
