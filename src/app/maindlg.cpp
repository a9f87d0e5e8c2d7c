#include "maindlg.h"
#include "../res/dlgmain.h"
#include "../res/resource.h"
#include "../serial/reception.h"

HFONT MakeFont(const char* face, int height, int escapement)
{
    return CreateFontA(height, 0, escapement, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                       FIXED_PITCH | FF_MODERN, face);
}

/* Centres on the desktop whatever the template's position; the desktop is taken to start at 0,0. */
int CenterWindow(HWND hWnd)
{
    RECT desktop;
    RECT window;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(hWnd, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = (desktop.right - width) / 2;
    int y = (desktop.bottom - height) / 2;
    SetWindowPos(hWnd, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
    return 0;
}

static void InitMainWindow(HWND hDlg)
{
    g_hDlg = hDlg;
    CenterWindow(hDlg);
    HFONT font = MakeFont(UI_FONT_FACE, 16, 0);
    SendDlgItemMessageA(hDlg, IDC_RECVTEXT, WM_SETFONT, (WPARAM)font, FALSE);
    SendDlgItemMessageA(hDlg, IDC_PORTNAME, WM_SETFONT, (WPARAM)font, FALSE);
    /* Without this the box silently stops taking characters at the default limit (about 30000)
       and a long session stops showing results; 0 gives a multi-line box its maximum. */
    SendDlgItemMessageA(hDlg, IDC_RECVTEXT, EM_SETLIMITTEXT, 0, 0);
}

/* The window only ends after the user has confirmed, and only once reception has stopped. */
static void ConfirmExit(HWND hDlg)
{
    if (MessageBoxA(hDlg, "終了してもよいですか", "終了確認", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    StopReceive();
    EndDialog(hDlg, 0);
}

static void OnCommand(HWND hDlg, int id)
{
    switch (id) {
    case IDC_START:
        StartReceive(hDlg);
        break;
    case IDC_CLEAR:
        SetWindowTextA(GetDlgItem(hDlg, IDC_RECVTEXT), "");
        break;
    case IDC_EXIT:
        SendMessageA(hDlg, WM_CLOSE, 0, 0);
        break;
    default:
        /* Enter and Esc arrive as IDOK and IDCANCEL: they must not close the window. */
        break;
    }
}

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (msg) {
    case WM_INITDIALOG:
        InitMainWindow(hDlg);
        return TRUE;
    case WM_COMMAND:
        OnCommand(hDlg, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        ConfirmExit(hDlg);
        return TRUE;
    }
    return FALSE;
}
