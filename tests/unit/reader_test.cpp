// The reader: every byte from the line reaches the text box as one typed character, at the
// line's pace, whatever the line does.
#include "fixture.h"

#include <algorithm>
#include <cstdio>

namespace {

using ReaderTest = ChargeviewTest;

std::string AllByteValues()
{
    std::string bytes;
    for (int value = 0; value < 256; value++)
        bytes.push_back((char)value);
    return bytes;
}

bool IsEditCommand(unsigned value)
{
    return value == 0x01 || value == 0x03 || value == 0x16 || value == 0x18 || value == 0x1A;
}

TEST_F(ReaderTest, SendsEachByteAsItsOwnCharacterCodeInOrder)
{
    std::string bytes = AllByteValues();
    std::vector<unsigned> expected;
    for (unsigned char byte : bytes)
        if (!IsEditCommand(byte))
            expected.push_back(byte);
    StartWith(bytes);
    size_t started = sim::Calls().size();
    ASSERT_TRUE(sim::PumpUntil([&] { return CharsSent().size() >= expected.size(); }));
    EXPECT_EQ(CharsSent(), expected);
    /* The box is found once at the start: a lookup per byte is slow enough on a real window
       system to let the line outrun the reader. */
    EXPECT_EQ(CountCalls("GetDlgItem", started) + CountCalls("SendDlgItemMessageA", started), 0);
    for (const sim::Call& call : sim::CallsOf("SendMessageA")) {
        if (call.args[1] != "0x102")
            continue;
        EXPECT_EQ(call.args[0], sim::Arg(Item(IDC_RECVTEXT)));
        EXPECT_EQ(call.args[3], "0x0");
    }
}

struct Line {
    const char* name;
    std::string bytes;
    std::string shown; /* UTF-8 */
};

class ReaderShows : public ChargeviewTest, public ::testing::WithParamInterface<Line> {};

TEST_P(ReaderShows, WhatATypistWouldSee)
{
    StartWith(GetParam().bytes);
    std::string expected = GetParam().shown;
    ASSERT_TRUE(sim::PumpUntil([&] { return Utf8(Shown()) == expected; }))
        << "shown: " << Utf8(Shown());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ReaderShows,
    ::testing::Values(Line{"crlf_makes_two_line_breaks", "充電完了 4.20V\r\n",
                           u8"充電完了 4.20V\r\n\r\n"},
                      Line{"half_width_katakana", "\xBC\xDE\xAE\xB3\xC3\xDE\xDD", u8"ｼﾞｮｳﾃﾞﾝ"},
                      Line{"zero_byte_shows_nothing", std::string("a\0b", 3), "ab"},
                      Line{"backspace_deletes", "abc\bd", "abd"},
                      Line{"carriage_return_starts_a_line", "a\rb", "a\r\nb"},
                      Line{"line_feed_starts_a_line", "a\nb", "a\r\nb"},
                      Line{"edit_commands_show_nothing",
                           "a\x01\x03\x16\x18\x1A"
                           "b",
                           "ab"}),
    [](const ::testing::TestParamInfo<Line>& info) { return info.param.name; });

TEST_F(ReaderTest, LineBytesNeverUseTheClipboardOrUndoTheUsersText)
{
    OpenMainWindow();
    SetWindowTextA(Item(IDC_RECVTEXT), "operator notes");
    SendMessageA(Item(IDC_RECVTEXT), EM_SETSEL, 0, 8);
    sim::SetClipboard("user's clipboard");

    StartWith("\x01\x03\x16\x18\x1A\x01\x18"
              "x");
    ASSERT_TRUE(sim::PumpUntil([] { return !CharsSent().empty(); }));
    EXPECT_EQ(Shown(), "x notes");
    EXPECT_EQ(sim::Clipboard(), "user's clipboard");
}

TEST_F(ReaderTest, LaterBytesLandWhereTheUserPutTheCaret)
{
    sim::Port port = StartWith("line1\rline2");
    ASSERT_TRUE(WaitShown(12));
    SendMessageA(Item(IDC_RECVTEXT), EM_SETSEL, 4, 4);
    port.Send("X");
    ASSERT_TRUE(WaitShown(13));
    EXPECT_EQ(Shown(), "lineX1\r\nline2");
}

TEST_F(ReaderTest, ClearingDuringAStreamEmptiesTheBoxForLaterBytes)
{
    sim::Port port = StartWith("before");
    ASSERT_TRUE(WaitShown(6));
    MainDlgProc(dialog_, WM_COMMAND, IDC_CLEAR, 0);
    EXPECT_EQ(Shown(), "");
    port.Send("after");
    ASSERT_TRUE(WaitShown(5));
    EXPECT_EQ(Shown(), "after");
}

/* A text box as slow as one under Wine: 400 microseconds a character, 2,500 characters a second. */
const int64_t kBoxCharMicros = 400;

TEST_F(ReaderTest, KeepsPaceWithAFullRateLine)
{
    sim::SetCharCost(kBoxCharMicros);
    sim::Port port = sim::AddPort("COM1");
    std::string stream;
    for (int i = 0; stream.size() < 9600; i++)
        stream += "充電中 " + std::to_string(i) + " mAh\r\n";
    port.SendAtRate(stream, 960); /* ten seconds at 9600 baud */
    OpenMainWindow();
    StartReceive(dialog_);
    /* Each CR and each LF becomes a line break of two bytes. */
    size_t breaks = std::count(stream.begin(), stream.end(), '\r') * 2;
    ASSERT_TRUE(WaitShown(stream.size() + breaks, 30000));
    EXPECT_EQ(port.Lost(), 0u);
    EXPECT_LE(port.MaxBacklog(), 64u) << "the driver's queue fills up";
    RecordProperty("max_backlog_bytes", (int)port.MaxBacklog());
}

TEST_F(ReaderTest, DrainsABacklogNearlyAsFastAsTheBoxTakesItAndStillPausesForTheWindow)
{
    sim::SetCharCost(kBoxCharMicros);
    std::string backlog(10000, 'x');
    sim::Port port = sim::AddPort("COM1");
    port.QueueCapacity(16384).Send(backlog);
    OpenMainWindow();
    ASSERT_EQ(StartReceive(dialog_), 0);
    int64_t started = sim::NowMicros();
    ASSERT_TRUE(WaitShown(backlog.size(), 30000));
    double seconds = (sim::NowMicros() - started) / 1e6;
    double rate = backlog.size() / seconds;
    double boxRate = 1e6 / kBoxCharMicros;
    std::printf("backlog of %zu bytes delivered at %.0f bytes per simulated second (box: %.0f)\n",
                backlog.size(), rate, boxRate);
    EXPECT_GE(rate, 0.9 * boxRate);
    /* The window gets its moments to repaint: no stretch of characters without a pause is long. */
    size_t run = 0, longest = 0, pauses = 0;
    for (const sim::Call& call : sim::Calls()) {
        if (call.fn == "SendMessageA" && call.args[1] == "0x102") {
            longest = std::max(longest, ++run);
        } else if (call.fn == "Sleep") {
            run = 0;
            pauses++;
        }
    }
    EXPECT_LE(longest * kBoxCharMicros, 110000u) << longest << " characters without a pause";
    EXPECT_GE(pauses, 10u);
}

TEST_F(ReaderTest, ReadFailuresDoNotSpin)
{
    sim::Port port = StartWith("a");
    ASSERT_TRUE(WaitShown(1));
    port.FailReads(1000000);
    int64_t from = sim::NowMicros();
    long readsBefore = port.Reads();
    ASSERT_TRUE(sim::PumpUntil([&] { return sim::NowMicros() - from >= 5000000; }, 20000));
    double perSecond = (port.Reads() - readsBefore) / ((sim::NowMicros() - from) / 1e6);
    EXPECT_LE(perSecond, 20.0) << "reads per simulated second while every read fails";
    EXPECT_GE(perSecond, 1.0);
}

TEST_F(ReaderTest, ALineErrorIsClearedAndReceptionGoesOn)
{
    DCB driver = {};
    driver.fAbortOnError = 1;
    sim::Port port = sim::AddPort("COM1");
    port.DriverDcb(driver).Send("before").LineError(CE_FRAME | CE_OVERRUN).Send("after");
    OpenMainWindow();
    StartReceive(dialog_);
    ASSERT_TRUE(WaitShown(11));
    EXPECT_EQ(Shown(), "beforeafter");
}

class DeviceGone : public ChargeviewTest, public ::testing::WithParamInterface<sim::Unplugged> {};

TEST_P(DeviceGone, ReaderStopsReadingButTheStopStillWorks)
{
    sim::Port port = StartWith("data");
    ASSERT_TRUE(WaitShown(4));
    port.Unplug(GetParam());
    int64_t from = sim::NowMicros();
    ASSERT_TRUE(sim::PumpUntil([&] { return sim::NowMicros() - from >= 10000000; }, 20000));
    EXPECT_LE(port.ReadsAfterUnplug(), 1) << "reading a gone device fails or spins every time";
    int64_t polls = CountCalls("ClearCommError");
    EXPECT_LE(polls, 10 * 12) << "looking for the device again is not a busy loop";
    StopReceive();
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(Shown(), "data");
}

INSTANTIATE_TEST_SUITE_P(Unplugged, DeviceGone,
                         ::testing::Values(sim::Unplugged::ReadsFail, sim::Unplugged::ReadsTimeOut),
                         [](const ::testing::TestParamInfo<sim::Unplugged>& info) {
                             return info.param == sim::Unplugged::ReadsFail ? "reads_fail"
                                                                            : "reads_time_out";
                         });

TEST_F(ReaderTest, AnIdleLineCostsAboutOneReadASecond)
{
    sim::Port port = StartWith("");
    ASSERT_TRUE(sim::PumpUntil([&] { return sim::NowMicros() >= 10000000; }, 20000));
    double perSecond = port.Reads() / (sim::NowMicros() / 1e6);
    EXPECT_LE(perSecond, 1.5);
}

TEST_F(ReaderTest, DoesNothingWhenStoppedBeforeItRuns)
{
    g_bRun = 0;
    EXPECT_EQ(ReceiveThread(nullptr), 0u);
    EXPECT_EQ(CountCalls("ReadFile"), 0);
}

} // namespace
