#ifndef CHARGEVIEW_TEST_FIXTURE_H
#define CHARGEVIEW_TEST_FIXTURE_H

#include "app/maindlg.h"
#include "res/resource.h"
#include "serial/reception.h"
#include "sim.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);

/* A fresh simulated machine and program state for every test; a test fails if the simulation saw
   the program misuse it (a closed handle read, a wait that would hang, an unanswered question). */
class ChargeviewTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    /* The main window as WM_INITDIALOG leaves it. */
    HWND OpenMainWindow();
    HWND Item(int id) const;
    std::string Shown() const { return sim::Text(Item(IDC_RECVTEXT)); }
    /* Pumps until the text box shows at least this many bytes. */
    bool WaitShown(size_t bytes, int limitMs = 10000);
    /* Starts reception on the only device, a port at COM1 with the given script. */
    sim::Port StartWith(const std::string& bytes);

    HWND dialog_ = nullptr;
};

/* The wParam of every WM_CHAR the reader sent, in order. */
std::vector<unsigned> CharsSent();
std::string Utf8(const std::string& shiftJis);
int64_t CountCalls(const std::string& fn, size_t from = 0);

#endif
