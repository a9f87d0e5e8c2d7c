#ifndef CHARGEVIEW_RECEPTION_H
#define CHARGEVIEW_RECEPTION_H

#include "../platform/platform.h"

/* Reception state shared by the UI thread and the reader. Handles and the window are written
   before the reader is created; afterwards only g_bRun changes, through the two calls below. */
extern HWND g_hDlg;
extern HWND g_hRecvText;
extern HANDLE g_hComm;
extern HANDLE g_hThread;
extern LONG g_bRun;
extern LONG g_bStarted;

/* g_bRun is read by the reader while the UI thread clears it: atomic so every pass sees the
   latest value and the compiler cannot keep it in a register. */
inline LONG LoadFlag(const LONG* flag) { return __atomic_load_n(flag, __ATOMIC_ACQUIRE); }
inline void StoreFlag(LONG* flag, LONG value) { __atomic_store_n(flag, value, __ATOMIC_RELEASE); }

int StartReceive(HWND hDlg);
void SetLine(HANDLE port);
DWORD WINAPI ReceiveThread(LPVOID parameter);
void StopReceive(void);

#endif
