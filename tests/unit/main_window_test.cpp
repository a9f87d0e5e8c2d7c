// The main window: how it prepares itself and what each command and the close request do.
#include "fixture.h"

namespace {

using MainWindowTest = ChargeviewTest;

struct Desktop {
    const char* name;
    RECT desktop;
    RECT window;
    int x, y;
};

class Centring : public ChargeviewTest, public ::testing::WithParamInterface<Desktop> {};

TEST_P(Centring, PlacesTheWindowInTheMiddleOfTheDesktop)
{
    sim::SetDesktopRect(GetParam().desktop);
    HWND window = sim::BuildDialog("DLGMAIN", MainDlgProc);
    sim::SetWindowRectPx(window, GetParam().window);
    EXPECT_EQ(CenterWindow(window), 0);
    const RECT& w = GetParam().window;
    sim::Call place = sim::CallsOf("SetWindowPos").at(0);
    EXPECT_EQ(place.args, (std::vector<std::string>{
                              sim::Arg(window), sim::Arg(HWND_TOP), std::to_string(GetParam().x),
                              std::to_string(GetParam().y), std::to_string(w.right - w.left),
                              std::to_string(w.bottom - w.top), "0x40"}));
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, Centring,
    ::testing::Values(
        Desktop{"even", {0, 0, 1024, 768}, {0, 0, 390, 280}, 317, 244},
        Desktop{"odd_sizes_truncate", {0, 0, 1023, 767}, {10, 20, 401, 300}, 316, 243},
        Desktop{"desktop_origin_ignored", {100, 50, 1124, 818}, {0, 0, 390, 280}, 367, 269},
        Desktop{"narrower_than_window", {0, 0, 300, 200}, {0, 0, 391, 281}, -45, -40}),
    [](const ::testing::TestParamInfo<Desktop>& info) { return info.param.name; });

TEST_F(MainWindowTest, InitialisationRemembersTheWindowAndSetsTheDisplayFont)
{
    dialog_ = sim::BuildDialog("DLGMAIN", MainDlgProc);
    EXPECT_EQ(MainDlgProc(dialog_, WM_INITDIALOG, 0, 0), TRUE);
    EXPECT_EQ(g_hDlg, dialog_);

    sim::Call font = sim::CallsOf("CreateFontA").at(0);
    std::vector<std::string> expected = {"16", "0",   "0", "0", "400", "0",   "0",
                                         "0",  "128", "0", "0", "2",   "0x31"};
    EXPECT_EQ(std::vector<std::string>(font.args.begin(), font.args.end() - 1), expected);
    EXPECT_EQ(Utf8(font.args.back()), u8"ＭＳ ゴシック");

    HFONT made = sim::Font(Item(IDC_RECVTEXT));
    EXPECT_NE(made, nullptr);
    EXPECT_EQ(sim::Font(Item(IDC_PORTNAME)), made);
    std::vector<std::string> fontsSet;
    for (const sim::Call& call : sim::CallsOf("SendDlgItemMessageA"))
        if (call.args[2] == "0x30")
            fontsSet.push_back(call.args[1] + " redraw=" + call.args[4]);
    EXPECT_EQ(fontsSet, (std::vector<std::string>{"1000 redraw=0x0", "1004 redraw=0x0"}));
    EXPECT_EQ(CountCalls("SetWindowPos"), 1);
}

TEST_F(MainWindowTest, TheTextBoxTakesALongSessionPastTheDefaultLimit)
{
    OpenMainWindow();
    EXPECT_GE(sim::TextLimit(Item(IDC_RECVTEXT)), 0x7FFFFFFEu);
    sim::Port port = sim::AddPort("COM1");
    port.SendAtRate(std::string(40000, 'x'), 960);
    ASSERT_EQ(StartReceive(dialog_), 0);
    ASSERT_TRUE(WaitShown(40000, 30000)) << sim::TextLength(Item(IDC_RECVTEXT));
    EXPECT_EQ(port.Lost(), 0u);
}

struct Command {
    const char* name;
    WPARAM wParam;
    bool startsReception;
    bool clearsText;
    bool asksToExit;
};

class Commands : public ChargeviewTest, public ::testing::WithParamInterface<Command> {};

TEST_P(Commands, DoWhatTheirButtonSays)
{
    sim::AddPort("COM1");
    OpenMainWindow();
    SetWindowTextA(Item(IDC_RECVTEXT), "old text");
    sim::QueueMessageBoxReply(IDNO);
    EXPECT_EQ(MainDlgProc(dialog_, WM_COMMAND, GetParam().wParam, 0), TRUE);
    EXPECT_EQ(g_bStarted, GetParam().startsReception ? 1 : 0);
    EXPECT_EQ(Shown(), GetParam().clearsText ? "" : "old text");
    EXPECT_EQ(sim::MessageBoxes().size(), GetParam().asksToExit ? 1u : 0u);
    EXPECT_FALSE(sim::Ended(dialog_));
}

INSTANTIATE_TEST_SUITE_P(Ids, Commands,
                         ::testing::Values(Command{"start", IDC_START, true, false, false},
                                           Command{"start_with_notification_code",
                                                   MAKEWPARAM(IDC_START, 5), true, false, false},
                                           Command{"clear", IDC_CLEAR, false, true, false},
                                           Command{"exit_asks", IDC_EXIT, false, false, true},
                                           Command{"enter", IDOK, false, false, false},
                                           Command{"escape", IDCANCEL, false, false, false},
                                           Command{"unknown", 4242, false, false, false},
                                           Command{"label", IDC_PORTNAME, false, false, false}),
                         [](const ::testing::TestParamInfo<Command>& info) {
                             return info.param.name;
                         });

TEST_F(MainWindowTest, CloseAnsweredYesStopsReceptionThenEndsTheWindow)
{
    sim::Port port = StartWith("abc");
    ASSERT_TRUE(WaitShown(3));
    sim::QueueMessageBoxReply(IDYES);
    EXPECT_EQ(MainDlgProc(dialog_, WM_CLOSE, 0, 0), TRUE);

    sim::MessageBoxCall box = sim::MessageBoxes().at(0);
    EXPECT_EQ(box.owner, dialog_);
    EXPECT_EQ(Utf8(box.text), u8"終了してもよいですか");
    EXPECT_EQ(Utf8(box.caption), u8"終了確認");
    EXPECT_EQ(box.type, 0x24u);
    EXPECT_TRUE(sim::Ended(dialog_));
    EXPECT_EQ(sim::EndResult(dialog_), 0);
    EXPECT_FALSE(port.Open());
    std::vector<sim::Call> calls = sim::Calls();
    auto last = [&](const std::string& fn) {
        size_t at = 0;
        for (size_t i = 0; i < calls.size(); i++)
            if (calls[i].fn == fn)
                at = i;
        return at;
    };
    EXPECT_LT(last("CloseHandle"), last("EndDialog"));
}

TEST_F(MainWindowTest, CloseAnsweredNoLeavesEverythingRunning)
{
    sim::Port port = StartWith("abc");
    ASSERT_TRUE(WaitShown(3));
    sim::QueueMessageBoxReply(IDNO);
    EXPECT_EQ(MainDlgProc(dialog_, WM_CLOSE, 0, 0), TRUE);
    EXPECT_FALSE(sim::Ended(dialog_));
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(g_bRun, 1);
    port.Send("def");
    ASSERT_TRUE(WaitShown(6));
    EXPECT_EQ(Shown(), "abcdef");
}

TEST_F(MainWindowTest, LeavesOtherMessagesToTheDialogManager)
{
    OpenMainWindow();
    for (UINT message : {WM_NULL, WM_SETFONT, WM_CHAR, (UINT)0x0200})
        EXPECT_EQ(MainDlgProc(dialog_, message, 0, 0), FALSE) << message;
}

} // namespace
