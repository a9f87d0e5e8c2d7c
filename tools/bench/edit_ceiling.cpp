// What the text box alone allows: types the bytes of a file into chargeview's text box, as its
// dialog template, font and limit make it, by cross-thread SendMessage WM_CHAR from a worker thread
// with no pauses, and prints the rate. chargeview's reader does the same plus reading the port, so
// this is the ceiling its delivery rate is measured against.
//
//   edit_ceiling FILE [--pause SLICE MS] [--focused] [--hold BYTES]...
//       ->   ok <bytes> <seconds> <bytes per second> <length shown>
//
// --pause also sleeps MS milliseconds after every SLICE milliseconds of typing, as chargeview's
// reader does, which separates the cost of those pauses from the cost of the box.
// The box has no focus while it is typed into, as chargeview's has none while it receives;
// --focused leaves the focus in the box (an operator clicked into it), which then draws its caret.
// --hold stops typing once BYTES bytes are typed and shown (and once before the first byte),
// prints "at <bytes>" and goes on when a line arrives on stdin: meanwhile the caller reads the
// process's memory, the box's own storage for that much text.
#include <windows.h>

#include "res/dlgmain.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

#define SETTLE_MS 1000
#define WM_DROP_FOCUS (WM_APP + 1)

HWND box;
std::vector<unsigned char> bytes;
DWORD pauseSlice;
DWORD pauseMs;
std::vector<size_t> holds;
bool focused;
double seconds;
LRESULT shown;

bool IsEditCommand(unsigned char byte)
{
    return byte == 0x01 || byte == 0x03 || byte == 0x16 || byte == 0x18 || byte == 0x1A;
}

// Holds once `typed` bytes are typed if that is one of the --hold marks. Every character sent so
// far has been taken by the box when SendMessage returned.
void HoldIfDue(size_t typed)
{
    if (!std::binary_search(holds.begin(), holds.end(), typed))
        return;
    printf("at %u\n", (unsigned)typed);
    fflush(stdout);
    // The end of input (the caller went away) lets the typing go on too.
    char line[16];
    (void)fgets(line, sizeof line, stdin);
}

DWORD WINAPI Typist(LPVOID dialog)
{
    // chargeview's window is up and painted long before its first byte: so is this one.
    Sleep(SETTLE_MS);
    if (!focused)
        SendMessageA((HWND)dialog, WM_DROP_FOCUS, 0, 0);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DWORD sliceStart = GetTickCount();
    size_t typed = 0;
    for (unsigned char byte : bytes) {
        HoldIfDue(typed++);
        if (!IsEditCommand(byte))
            SendMessageA(box, WM_CHAR, (WPARAM)byte, 0);
        if (pauseSlice > 0 && GetTickCount() - sliceStart >= pauseSlice) {
            Sleep(pauseMs);
            sliceStart = GetTickCount();
        }
    }
    HoldIfDue(typed);
    QueryPerformanceCounter(&end);
    seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    PostMessageA((HWND)dialog, WM_CLOSE, 0, 0);
    return 0;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    static HANDLE worker;
    switch (msg) {
    case WM_INITDIALOG: {
        box = GetDlgItem(dialog, IDC_RECVTEXT);
        HFONT font =
            CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, UI_FONT_FACE);
        SendMessageA(box, WM_SETFONT, (WPARAM)font, FALSE);
        SendMessageA(box, EM_SETLIMITTEXT, 0, 0);
        worker = CreateThread(nullptr, 0, Typist, dialog, 0, nullptr);
        return TRUE; // the focus goes to the box, the first control, as in chargeview
    }
    case WM_DROP_FOCUS:
        // Pressing 受信開始 gives that button the focus and then disables it, which leaves no
        // control with the focus while chargeview receives: its box draws no caret.
        SetFocus(nullptr);
        return TRUE;
    case WM_CLOSE:
        WaitForSingleObject(worker, INFINITE);
        CloseHandle(worker);
        shown = SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// The main window's template with the text box as its only control: the same style, size in
// dialog units and dialog font, so the box has chargeview's size in pixels.
std::vector<WORD> Template()
{
    std::vector<WORD> t;
    auto dword = [&](DWORD value) {
        t.push_back(LOWORD(value));
        t.push_back(HIWORD(value));
    };
    auto text = [&](const char* ansi) {
        wchar_t wide[64] = {0};
        MultiByteToWideChar(932, 0, ansi, -1, wide, 64);
        for (const wchar_t* c = wide; *c; c++)
            t.push_back((WORD)*c);
        t.push_back(0);
    };
    const short dialogRect[] = {DLGMAIN_RECT};
    const short boxRect[] = {RECVTEXT_RECT};
    dword(DLGMAIN_STYLE);
    dword(0);
    t.push_back(1);
    for (short value : dialogRect)
        t.push_back((WORD)value);
    t.push_back(0); // no menu
    t.push_back(0); // the dialog class
    text("edit_ceiling");
    t.push_back(DLGMAIN_FONT_SIZE);
    text(UI_FONT_FACE);
    if (t.size() % 2)
        t.push_back(0); // items start on a DWORD boundary
    dword(RECVTEXT_STYLE);
    dword(0);
    for (short value : boxRect)
        t.push_back((WORD)value);
    t.push_back(IDC_RECVTEXT);
    t.push_back(0xFFFF);
    t.push_back(0x0081); // EDIT
    t.push_back(0);      // no text
    t.push_back(0);      // no creation data
    return t;
}

bool ReadAll(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    unsigned char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool usable = argc >= 2 && ReadAll(argv[1]);
    for (int i = 2; usable && i < argc; i++) {
        std::string option = argv[i];
        if (option == "--pause" && i + 2 < argc) {
            pauseSlice = (DWORD)atoi(argv[++i]);
            pauseMs = (DWORD)atoi(argv[++i]);
        } else if (option == "--focused") {
            focused = true;
        } else if (option == "--hold" && i + 1 < argc) {
            holds.push_back((size_t)strtoul(argv[++i], nullptr, 10));
        } else {
            usable = false;
        }
    }
    if (!usable) {
        printf("err usage: edit_ceiling FILE [--pause SLICE MS] [--focused] [--hold BYTES]...\n");
        return 2;
    }
    std::sort(holds.begin(), holds.end());
    std::vector<WORD> dialog = Template();
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), (LPCDLGTEMPLATEA)dialog.data(), nullptr,
                            DialogProc, 0);
    printf("ok %u %.6f %.1f %ld\n", (unsigned)bytes.size(), seconds,
           seconds > 0 ? bytes.size() / seconds : 0.0, (long)shown);
    return 0;
}
