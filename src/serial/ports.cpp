#include "reception.h"
#include "../res/resource.h"

HWND g_hDlg;
HWND g_hRecvText;
HANDLE g_hComm;
HANDLE g_hThread;
LONG g_bRun;
LONG g_bStarted;

#define PORT_COUNT 15

/* Ports from 10 up are only reachable through the device namespace; the label shows the plain
   name. */
static const char* const g_portPaths[PORT_COUNT] = {
    "COM1",         "COM2",         "COM3",         "COM4",         "COM5",
    "COM6",         "COM7",         "COM8",         "COM9",         "\\\\.\\COM10",
    "\\\\.\\COM11", "\\\\.\\COM12", "\\\\.\\COM13", "\\\\.\\COM14", "\\\\.\\COM15"};
static const char* const g_portLabels[PORT_COUNT] = {"COM1",  "COM2",  "COM3",  "COM4",  "COM5",
                                                     "COM6",  "COM7",  "COM8",  "COM9",  "COM10",
                                                     "COM11", "COM12", "COM13", "COM14", "COM15"};

/* Returns the table row of the first port that opens for our exclusive reading, or -1. */
static int OpenFirstPort(void)
{
    for (int row = 0; row < PORT_COUNT; row++) {
        g_hComm = CreateFileA(g_portPaths[row], GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        if (g_hComm != INVALID_HANDLE_VALUE)
            return row;
    }
    return -1;
}

int StartReceive(HWND hDlg)
{
    int row = OpenFirstPort();
    if (row < 0) {
        MessageBoxA(NULL, "ポートがオープン出来ません", "エラー", MB_OK);
        return -1;
    }
    StoreFlag(&g_bRun, 1);
    StoreFlag(&g_bStarted, 1);
    SetWindowTextA(GetDlgItem(hDlg, IDC_PORTNAME), g_portLabels[row]);
    SetLine(g_hComm);

    /* Looked up once here: finding the box by its id again for every byte costs the reader
       most of its time under some window systems and lets a backlog grow at the line's rate. */
    g_hRecvText = GetDlgItem(hDlg, IDC_RECVTEXT);
    DWORD threadId;
    g_hThread = CreateThread(NULL, 0, ReceiveThread, NULL, 0, &threadId);
    EnableWindow(GetDlgItem(hDlg, IDC_START), FALSE);
    return 0;
}
