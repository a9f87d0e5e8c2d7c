// Choosing, opening and setting up the port when the user presses the start button.
#include "fixture.h"

#include <cstring>

namespace {

const char* const kAllPaths[] = {"COM1",         "COM2",         "COM3",         "COM4",
                                 "COM5",         "COM6",         "COM7",         "COM8",
                                 "COM9",         "\\\\.\\COM10", "\\\\.\\COM11", "\\\\.\\COM12",
                                 "\\\\.\\COM13", "\\\\.\\COM14", "\\\\.\\COM15"};

std::vector<std::string> PathsTried(size_t from = 0)
{
    std::vector<std::string> paths;
    std::vector<sim::Call> opens = sim::CallsOf("CreateFileA");
    for (size_t i = from; i < opens.size(); i++)
        paths.push_back(opens[i].args[0]);
    return paths;
}

std::vector<std::string> FirstPaths(size_t count)
{
    return std::vector<std::string>(kAllPaths, kAllPaths + count);
}

struct Machine {
    const char* name;
    std::vector<std::string> present;
    std::vector<std::string> inUse;
    std::string label; /* empty: nothing opens */
    size_t tried;
};

class PortChoice : public ChargeviewTest, public ::testing::WithParamInterface<Machine> {};

TEST_P(PortChoice, OpensTheFirstPortThatOpensAndNamesIt)
{
    for (const std::string& path : GetParam().present)
        sim::AddPort(path);
    for (const std::string& path : GetParam().inUse)
        sim::AddPortInUse(path);
    OpenMainWindow();

    int result = StartReceive(dialog_);

    EXPECT_EQ(PathsTried(), FirstPaths(GetParam().tried));
    EXPECT_EQ(sim::Text(Item(IDC_PORTNAME)), GetParam().label);
    bool opened = !GetParam().label.empty();
    EXPECT_EQ(result, opened ? 0 : -1);
    EXPECT_EQ(IsWindowEnabled(Item(IDC_START)), opened ? FALSE : TRUE);
    EXPECT_EQ(g_bRun, opened ? 1 : 0);
    EXPECT_EQ(g_bStarted, opened ? 1 : 0);
    EXPECT_EQ(sim::MessageBoxes().size(), opened ? 0u : 1u);
    if (!opened) {
        EXPECT_EQ(g_hComm, INVALID_HANDLE_VALUE);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Machines, PortChoice,
    ::testing::Values(Machine{"only_com7", {"COM7"}, {}, "COM7", 7},
                      Machine{"com1_first", {"COM1", "COM2"}, {}, "COM1", 1},
                      Machine{"only_com12", {"\\\\.\\COM12"}, {}, "COM12", 12},
                      Machine{"only_com15", {"\\\\.\\COM15"}, {}, "COM15", 15},
                      Machine{"in_use_passed_over", {"COM5"}, {"COM3"}, "COM5", 5},
                      Machine{"all_in_use", {}, {"COM1", "COM9"}, "", 15},
                      Machine{"only_above_15", {"\\\\.\\COM16", "COM16"}, {}, "", 15},
                      Machine{"com12_by_plain_name_only", {"COM12"}, {}, "", 15},
                      Machine{"none", {}, {}, "", 15}),
    [](const ::testing::TestParamInfo<Machine>& info) { return info.param.name; });

} // namespace

namespace {

using StartReceiveTest = ChargeviewTest;

TEST_F(StartReceiveTest, OpensForExclusiveSynchronousReading)
{
    sim::AddPort("COM2");
    OpenMainWindow();
    StartReceive(dialog_);
    for (const sim::Call& open : sim::CallsOf("CreateFileA")) {
        SCOPED_TRACE(open.args[0]);
        EXPECT_EQ(open.args,
                  (std::vector<std::string>{open.args[0], "0x80000000", "0", sim::Arg(nullptr), "3",
                                            "0x0", sim::Arg(nullptr)}));
    }
}

TEST_F(StartReceiveTest, NoPortShowsTheMessageAndARetryProbesFromTheFirstRow)
{
    OpenMainWindow();
    ASSERT_EQ(StartReceive(dialog_), -1);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    sim::MessageBoxCall box = sim::MessageBoxes()[0];
    EXPECT_EQ(Utf8(box.text), u8"ポートがオープン出来ません");
    EXPECT_EQ(Utf8(box.caption), u8"エラー");
    EXPECT_EQ(box.type, MB_OK);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(CountCalls("EnableWindow"), 0);
    EXPECT_EQ(CountCalls("CreateThread"), 0);

    sim::AddPort("COM3");
    size_t before = sim::CallsOf("CreateFileA").size();
    EXPECT_EQ(StartReceive(dialog_), 0);
    EXPECT_EQ(PathsTried(before), FirstPaths(3));
    EXPECT_EQ(sim::Text(Item(IDC_PORTNAME)), "COM3");
}

TEST_F(StartReceiveTest, SetsTheLineAndKeepsEveryOtherDriverSetting)
{
    DCB driver;
    std::memset(&driver, 0xA5, sizeof driver); /* every field, padding included, non-default */
    driver.fAbortOnError = 1;
    sim::Port port = sim::AddPort("COM1");
    port.DriverDcb(driver);
    OpenMainWindow();
    StartReceive(dialog_);

    DCB expected = driver;
    expected.BaudRate = 9600;
    expected.ByteSize = 8;
    expected.Parity = NOPARITY;
    expected.StopBits = ONESTOPBIT;
    DWORD flags;
    std::memcpy(&flags, reinterpret_cast<const char*>(&driver) + 8, sizeof flags);
    flags &= 0xFFFFFFF1u; /* parity check, CTS and DSR output flow control off */
    std::memcpy(reinterpret_cast<char*>(&expected) + 8, &flags, sizeof flags);

    DCB set = port.SetDcb();
    EXPECT_EQ(std::memcmp(&set, &expected, sizeof set), 0);
    DWORD setFlags;
    std::memcpy(&setFlags, reinterpret_cast<const char*>(&set) + 8, sizeof setFlags);
    EXPECT_EQ(setFlags, flags) << std::hex << "driver flags " << (flags | 0xE);
    EXPECT_EQ(set.BaudRate, 9600u);
}

TEST_F(StartReceiveTest, SetsOneSecondReadTimeOuts)
{
    sim::Port port = sim::AddPort("COM1");
    OpenMainWindow();
    StartReceive(dialog_);
    COMMTIMEOUTS t = port.SetTimeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 1000u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
}

TEST_F(StartReceiveTest, DisablesTheStartButtonOnlyOnceTheReaderRuns)
{
    sim::AddPort("COM1");
    OpenMainWindow();
    size_t from = sim::Calls().size();
    StartReceive(dialog_);
    std::vector<std::string> order;
    std::vector<sim::Call> calls = sim::Calls();
    for (size_t i = from; i < calls.size(); i++)
        if (calls[i].fn != "GetDlgItem" && calls[i].fn != "ReadFile" &&
            calls[i].fn != "ClearCommError")
            order.push_back(calls[i].fn);
    EXPECT_EQ(order, (std::vector<std::string>{"CreateFileA", "SetWindowTextA", "GetCommState",
                                               "SetCommState", "GetCommTimeouts", "SetCommTimeouts",
                                               "CreateThread", "EnableWindow"}));
    sim::Call disable = sim::CallsOf("EnableWindow").at(0);
    EXPECT_EQ(disable.args, (std::vector<std::string>{sim::Arg(Item(IDC_START)), "0"}));
    sim::Call thread = sim::CallsOf("CreateThread").at(0);
    EXPECT_EQ(thread.args,
              (std::vector<std::string>{sim::Arg(nullptr), "0", sim::Arg((void*)ReceiveThread),
                                        sim::Arg(nullptr), "0"}));
}

} // namespace
