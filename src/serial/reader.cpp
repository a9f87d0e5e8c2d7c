#include "reception.h"

/* A short pause after every slice of delivering without a break leaves the UI thread free to
   repaint during a long burst. Pausing after every byte would cap delivery near 200 bytes/s, below
   the line's 960; measured in time rather than bytes, the pauses take the same small share (about
   5 %) of a backlog's delivery whatever the text box costs per character on this machine. */
#define DELIVERY_SLICE_MS 100
#define PAUSE_MS 5

/* How often a reader whose device has gone looks again, and how long it rests after a read
   failure the driver cannot explain, so neither turns into a busy loop. */
#define GONE_POLL_MS 100
#define FAILED_READ_PAUSE_MS 100

/* Control characters that an edit box takes as commands (select all, copy, paste, cut, undo):
   from the line they would touch the user's clipboard or text, and they show nothing. */
static int IsEditCommand(unsigned char byte)
{
    return byte == 0x01 || byte == 0x03 || byte == 0x16 || byte == 0x18 || byte == 0x1A;
}

static void DeliverByte(unsigned char byte)
{
    if (IsEditCommand(byte))
        return;
    /* The byte itself is the character code, so 0x80-0xFF reach the box as Shift-JIS. */
    SendMessageA(g_hRecvText, WM_CHAR, (WPARAM)byte, 0);
}

/* After a read that brought nothing: clears a line error that would make every further read
   fail, and waits while the device is gone (reading it then fails or spins inside the call). */
static void RecoverLine(BOOL readSucceeded)
{
    DWORD errors = 0;
    COMSTAT status;
    while (!ClearCommError(g_hComm, &errors, &status)) {
        if (!LoadFlag(&g_bRun))
            return;
        Sleep(GONE_POLL_MS);
    }
    if (!readSucceeded && errors == 0)
        Sleep(FAILED_READ_PAUSE_MS);
}

DWORD WINAPI ReceiveThread(LPVOID parameter)
{
    (void)parameter;
    DWORD sliceStart = GetTickCount();
    while (LoadFlag(&g_bRun)) {
        unsigned char byte;
        DWORD count = 0;
        BOOL ok = ReadFile(g_hComm, &byte, 1, &count, NULL);
        if (count == 1) {
            DeliverByte(byte);
            if (GetTickCount() - sliceStart >= DELIVERY_SLICE_MS) {
                Sleep(PAUSE_MS);
                sliceStart = GetTickCount();
            }
        } else {
            /* An empty read left the window the whole wait. */
            RecoverLine(ok);
            sliceStart = GetTickCount();
        }
    }
    return 0;
}

/* Waits for the reader to end while still taking the characters it sends: it may be blocked
   handing one to this thread, which then could never finish waiting. */
static void WaitForReader(void)
{
    while (MsgWaitForMultipleObjects(1, &g_hThread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    }
}

void StopReceive(void)
{
    StoreFlag(&g_bRun, 0);
    if (!LoadFlag(&g_bStarted))
        return;
    /* The port is closed only once the reader has ended, so it never reads a closed handle. */
    WaitForReader();
    CloseHandle(g_hComm);
    CloseHandle(g_hThread);
}
