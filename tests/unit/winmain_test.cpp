// Starting the program: one copy at a time, the main window until the user ends it, exit code 0.
#include "fixture.h"

namespace {

using WinMainTest = ChargeviewTest;

char kCommandLine[] = "/unexpected --args";

TEST_F(WinMainTest, ASecondCopyTellsTheUserAndEnds)
{
    sim::HoldMutexElsewhere("Drovint");
    EXPECT_EQ(WinMain(nullptr, nullptr, kCommandLine, 1), 0);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    sim::MessageBoxCall box = sim::MessageBoxes()[0];
    EXPECT_EQ(Utf8(box.text), u8"既に起動されています");
    EXPECT_EQ(Utf8(box.caption), u8"起動確認");
    EXPECT_EQ(box.type, MB_OK);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(CountCalls("DialogBoxParamA"), 0);
}

TEST_F(WinMainTest, AFailedGuardEndsSilently)
{
    sim::FailNextMutex();
    EXPECT_EQ(WinMain(nullptr, nullptr, kCommandLine, 1), 0);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(CountCalls("DialogBoxParamA"), 0);
}

TEST_F(WinMainTest, RunsTheWindowUntilTheUserConfirmsTheExit)
{
    sim::Port port = sim::AddPort("COM4");
    port.Send("充電完了");
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(0x400000);
    sim::QueueUiAction([] {
        SendMessageA(GetDlgItem(sim::LastDialog(), IDC_START), BM_CLICK, 0, 0);
        return true;
    });
    sim::QueueUiAction(
        [] { return sim::Text(GetDlgItem(sim::LastDialog(), IDC_RECVTEXT)).size() == 8; });
    sim::QueueUiAction([] {
        SendMessageA(sim::LastDialog(), WM_CLOSE, 0, 0); /* answered No */
        return true;
    });
    sim::QueueUiAction([] {
        SendMessageA(GetDlgItem(sim::LastDialog(), IDC_EXIT), BM_CLICK, 0, 0); /* answered Yes */
        return true;
    });
    sim::QueueMessageBoxReply(IDNO);
    sim::QueueMessageBoxReply(IDYES);

    EXPECT_EQ(WinMain(instance, nullptr, kCommandLine, 0), 0);

    sim::Call mutex = sim::CallsOf("CreateMutexA").at(0);
    EXPECT_EQ(mutex.args, (std::vector<std::string>{sim::Arg(nullptr), "1", "Drovint"}));
    sim::Call dialog = sim::CallsOf("DialogBoxParamA").at(0);
    EXPECT_EQ(dialog.args,
              (std::vector<std::string>{sim::Arg(instance), "DLGMAIN", sim::Arg(nullptr),
                                        sim::Arg((void*)MainDlgProc), "0x0"}));
    EXPECT_EQ(Utf8(sim::Text(GetDlgItem(sim::LastDialog(), IDC_RECVTEXT))), u8"充電完了");
    EXPECT_EQ(sim::Text(GetDlgItem(sim::LastDialog(), IDC_PORTNAME)), "COM4");
    EXPECT_EQ(sim::MessageBoxes().size(), 2u);
    EXPECT_TRUE(sim::Ended(sim::LastDialog()));
    EXPECT_FALSE(port.Open());
}

TEST_F(WinMainTest, AStartAfterTheFirstCopyEndedOpensTheWindow)
{
    sim::QueueUiAction([] {
        SendMessageA(sim::LastDialog(), WM_CLOSE, 0, 0);
        return true;
    });
    sim::QueueMessageBoxReply(IDYES);
    EXPECT_EQ(WinMain(nullptr, nullptr, kCommandLine, 0), 0);
    EXPECT_EQ(CountCalls("DialogBoxParamA"), 1);
    EXPECT_EQ(CountCalls("CloseHandle"), 0) << "nothing was started, nothing to close";
}

} // namespace
