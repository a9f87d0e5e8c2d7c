#include "maindlg.h"
#include "../res/dlgmain.h"

/* Held, never released, until the process ends: a second copy finds the name taken. */
#define INSTANCE_MUTEX_NAME "Drovint"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;
    HANDLE mutex = CreateMutexA(NULL, TRUE, INSTANCE_MUTEX_NAME);
    if (mutex == NULL)
        return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(NULL, "既に起動されています", "起動確認", MB_OK);
        return 0;
    }
    DialogBoxParamA(hInstance, DLGMAIN_NAME, NULL, MainDlgProc, 0);
    return 0;
}
