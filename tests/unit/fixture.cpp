#include "fixture.h"

#include <cstdlib>

void ChargeviewTest::SetUp()
{
    sim::Reset();
    g_hDlg = nullptr;
    g_hComm = nullptr;
    g_hThread = nullptr;
    g_bRun = 0;
    g_bStarted = 0;
}

void ChargeviewTest::TearDown()
{
    if (LoadFlag(&g_bRun))
        StopReceive();
    for (const std::string& fault : sim::Faults())
        ADD_FAILURE() << "simulation saw: " << fault;
    sim::Reset(); /* joins the reader before the next test or the process ends */
}

HWND ChargeviewTest::OpenMainWindow()
{
    dialog_ = sim::BuildDialog("DLGMAIN", MainDlgProc);
    EXPECT_NE(dialog_, nullptr);
    MainDlgProc(dialog_, WM_INITDIALOG, 0, 0);
    return dialog_;
}

HWND ChargeviewTest::Item(int id) const { return GetDlgItem(dialog_, id); }

bool ChargeviewTest::WaitShown(size_t bytes, int limitMs)
{
    HWND box = Item(IDC_RECVTEXT);
    return sim::PumpUntil([&] { return sim::TextLength(box) >= bytes; }, limitMs);
}

sim::Port ChargeviewTest::StartWith(const std::string& bytes)
{
    sim::Port port = sim::AddPort("COM1");
    port.Send(bytes);
    if (!dialog_)
        OpenMainWindow();
    EXPECT_EQ(StartReceive(dialog_), 0);
    return port;
}

std::vector<unsigned> CharsSent()
{
    std::vector<unsigned> chars;
    for (const sim::Call& call : sim::CallsOf("SendMessageA"))
        if (call.args[1] == "0x102")
            chars.push_back((unsigned)std::strtoul(call.args[2].c_str(), nullptr, 16));
    return chars;
}

std::string Utf8(const std::string& shiftJis) { return sim::FromShiftJisToUtf8(shiftJis); }

int64_t CountCalls(const std::string& fn, size_t from)
{
    std::vector<sim::Call> calls = sim::Calls();
    int64_t count = 0;
    for (size_t i = from; i < calls.size(); i++)
        count += calls[i].fn == fn;
    return count;
}
