#ifndef CHARGEVIEW_MAINDLG_H
#define CHARGEVIEW_MAINDLG_H

#include "../platform/platform.h"

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
int CenterWindow(HWND hWnd);
HFONT MakeFont(const char* face, int height, int escapement);

#endif
