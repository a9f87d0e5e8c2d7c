// Ending reception when the user confirms the exit: the reader ends, then the port and the thread
// are closed, and nothing waits for ever.
#include "fixture.h"

#include <chrono>
#include <thread>

namespace {

using StopTest = ChargeviewTest;

std::vector<std::string> CallsFrom(size_t from, const std::vector<std::string>& names)
{
    std::vector<std::string> found;
    std::vector<sim::Call> calls = sim::Calls();
    for (size_t i = from; i < calls.size(); i++)
        for (const std::string& name : names)
            if (calls[i].fn == name)
                found.push_back(calls[i].fn + " " +
                                (calls[i].args.empty() ? "" : calls[i].args[0]));
    return found;
}

TEST_F(StopTest, BeforeAnyStartClosesNothing)
{
    OpenMainWindow();
    StopReceive();
    EXPECT_EQ(g_bRun, 0);
    EXPECT_EQ(CountCalls("CloseHandle"), 0);
    EXPECT_EQ(CountCalls("WaitForSingleObject") + CountCalls("MsgWaitForMultipleObjects"), 0);
}

TEST_F(StopTest, OnAnIdleLineEndsWithinAboutOneReadTimeOut)
{
    sim::Port port = StartWith("");
    ASSERT_TRUE(sim::PumpUntil([&] { return port.Reads() >= 2; }));
    HANDLE comm = g_hComm, thread = g_hThread;
    size_t from = sim::Calls().size();
    int64_t started = sim::NowMicros();
    StopReceive();
    EXPECT_LE(sim::NowMicros() - started, 1100000) << "simulated microseconds";
    EXPECT_FALSE(port.Open());
    /* The port closes only after the reader has ended, so it never reads a closed handle. */
    std::vector<std::string> order = CallsFrom(from, {"MsgWaitForMultipleObjects", "CloseHandle"});
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.back(), "CloseHandle " + sim::Arg(thread));
    EXPECT_EQ(order[order.size() - 2], "CloseHandle " + sim::Arg(comm));
    EXPECT_EQ(order.front(), "MsgWaitForMultipleObjects 1");
}

TEST_F(StopTest, DoesNotHangWhileTheReaderWaitsForTheWindow)
{
    sim::Port port = StartWith("abc");
    /* The reader is now blocked handing its first character to this thread, which never pumps. */
    for (int i = 0; i < 5000 && sim::PendingSent() == 0; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(sim::PendingSent(), 1u);
    StopReceive();
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(sim::PendingSent(), 0u);
}

TEST_F(StopTest, InTheMiddleOfAFullRateStreamEndsPromptly)
{
    sim::Port port = sim::AddPort("COM1");
    port.SendAtRate(std::string(20000, 'x'), 960);
    OpenMainWindow();
    StartReceive(dialog_);
    ASSERT_TRUE(WaitShown(500));
    int64_t started = sim::NowMicros();
    StopReceive();
    EXPECT_LE(sim::NowMicros() - started, 200000) << "simulated microseconds";
    EXPECT_FALSE(port.Open());
}

} // namespace
