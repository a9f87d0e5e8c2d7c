#ifndef CHARGEVIEW_STANDIN_WIN32_H
#define CHARGEVIEW_STANDIN_WIN32_H

/* Host stand-in for the Win32 calls, types and constants chargeview uses, declared from what the
   program needs of each. The behaviour behind them lives in the simulation (sim.h). */

#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;
typedef void* HANDLE;
typedef void* LPVOID;
typedef DWORD* LPDWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;

typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef struct HFONT__* HFONT;

typedef struct {
    LONG left, top, right, bottom;
} RECT, *LPRECT;

typedef struct {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
} MSG, *LPMSG;

/* The serial port's line settings, with the driver's bit layout of the flag word. */
typedef struct {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
} DCB, *LPDCB;

typedef struct {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
} COMMTIMEOUTS, *LPCOMMTIMEOUTS;

typedef struct {
    DWORD fFlags;
    DWORD cbInQue;
    DWORD cbOutQue;
} COMSTAT, *LPCOMSTAT;

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID);
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define TRUE 1
#define FALSE 0
#define INFINITE 0xFFFFFFFFu
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

#define ERROR_ACCESS_DENIED 5L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_OPERATION_ABORTED 995L
#define ERROR_BAD_COMMAND 22L

#define GENERIC_READ 0x80000000u
#define OPEN_EXISTING 3

#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define QS_SENDMESSAGE 0x0040u
#define PM_NOREMOVE 0x0000u

#define NOPARITY 0
#define ONESTOPBIT 0
#define CE_RXOVER 0x0001u
#define CE_OVERRUN 0x0002u
#define CE_FRAME 0x0008u
#define CE_BREAK 0x0010u

#define WM_INITDIALOG 0x0110u
#define WM_COMMAND 0x0111u
#define WM_CLOSE 0x0010u
#define WM_SETFONT 0x0030u
#define WM_SETTEXT 0x000Cu
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_CHAR 0x0102u
#define WM_NULL 0x0000u
#define EM_GETSEL 0x00B0u
#define EM_SETSEL 0x00B1u
#define EM_SETLIMITTEXT 0x00C5u
#define EM_GETLIMITTEXT 0x00D5u
#define BM_CLICK 0x00F5u

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

#define MB_OK 0x00000000u
#define MB_YESNO 0x00000004u
#define MB_ICONQUESTION 0x00000020u

#define HWND_TOP ((HWND)0)
#define SWP_SHOWWINDOW 0x0040u

#define FW_NORMAL 400
#define SHIFTJIS_CHARSET 128
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define PROOF_QUALITY 2
#define FIXED_PITCH 1
#define FF_MODERN 0x30

#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xFFFF))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xFFFF))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)((WORD)(l) | ((DWORD)(WORD)(h) << 16)))
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)(WORD)(i))

/* kernel32 */
HANDLE WINAPI CreateMutexA(void* attributes, BOOL initialOwner, LPCSTR name);
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);
HANDLE WINAPI CreateThread(void* attributes, size_t stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD flags, LPDWORD threadId);
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL WINAPI CloseHandle(HANDLE handle);
void WINAPI Sleep(DWORD milliseconds);
DWORD WINAPI GetTickCount(void);
HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, void* attributes,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL WINAPI GetCommState(HANDLE port, LPDCB dcb);
BOOL WINAPI SetCommState(HANDLE port, LPDCB dcb);
BOOL WINAPI GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL WINAPI ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped);

/* user32 */
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM initParam);
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
BOOL WINAPI IsWindowEnabled(HWND window);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove);
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HWND WINAPI GetDesktopWindow(void);
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);

/* gdi32 */
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR face);

#endif
