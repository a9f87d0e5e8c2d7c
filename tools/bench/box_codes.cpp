// What a text box shows for each byte code typed into it the way chargeview's reader types
// (SendMessageA WM_CHAR from another thread): every single byte, and every lead byte of the ANSI
// code page followed by every possible second byte. Each code is typed between '[' and ']' into an
// emptied box, so codes that act on the text (backspace) or swallow a neighbour show as such.
// The fault tests' reading of the text box model's Shift-JIS against the real box rests on this.
//
//   box_codes   ->   acp <code page>
//                    lead <hex bytes of every lead byte>
//                    <hex code> <UTF-16 units shown between the brackets, hex, or ->   one a line
#include <windows.h>

#include "res/dlgmain.h"

#include <cstdio>
#include <string>

namespace {

HWND box;

void Type(unsigned char byte) { SendMessageA(box, WM_CHAR, (WPARAM)byte, 0); }

std::wstring Shown()
{
    wchar_t text[64] = {0};
    SendMessageW(box, WM_GETTEXT, 64, (LPARAM)text);
    return text;
}

void Report(const char* code, const std::wstring& shown)
{
    std::string units;
    // Everything between the first '[' and the last ']'; the brackets themselves are ours.
    size_t open = shown.find(L'[');
    size_t close = shown.rfind(L']');
    if (open == std::wstring::npos || close == std::wstring::npos || close < open) {
        units = "?";
    } else {
        for (size_t i = open + 1; i < close; i++) {
            char unit[8];
            snprintf(unit, sizeof unit, "%s%04x", units.empty() ? "" : ",", (unsigned)shown[i]);
            units += unit;
        }
    }
    printf("%s %s\n", code, units.empty() ? "-" : units.c_str());
}

void Try(const unsigned char* bytes, int count)
{
    SendMessageW(box, WM_SETTEXT, 0, (LPARAM)L"");
    Type('[');
    for (int i = 0; i < count; i++)
        Type(bytes[i]);
    Type(']');
    char code[8];
    if (count == 1)
        snprintf(code, sizeof code, "%02x", bytes[0]);
    else
        snprintf(code, sizeof code, "%02x%02x", bytes[0], bytes[1]);
    Report(code, Shown());
}

DWORD WINAPI Typist(LPVOID owner)
{
    printf("acp %u\nlead", GetACP());
    for (int lead = 0; lead < 256; lead++) {
        if (IsDBCSLeadByte((BYTE)lead))
            printf(" %02x", lead);
    }
    printf("\n");
    for (int first = 0; first < 256; first++) {
        unsigned char bytes[2] = {(unsigned char)first, 0};
        if (!IsDBCSLeadByte((BYTE)first)) {
            Try(bytes, 1);
            continue;
        }
        for (int second = 0; second < 256; second++) {
            bytes[1] = (unsigned char)second;
            Try(bytes, 2);
        }
    }
    fflush(stdout);
    PostMessageA((HWND)owner, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

int main()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND frame = CreateWindowExA(0, "STATIC", "box_codes", WS_OVERLAPPEDWINDOW, 0, 0, 420, 200,
                                 nullptr, nullptr, instance, nullptr);
    box = CreateWindowExA(0, "EDIT", "", RECVTEXT_STYLE, 10, 10, 354, 100, frame, (HMENU)1000,
                          instance, nullptr);
    SendMessageA(box, EM_SETLIMITTEXT, 0, 0);
    HANDLE worker = CreateThread(nullptr, 0, Typist, frame, 0, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_CLOSE)
            break;
        DispatchMessageA(&msg);
    }
    WaitForSingleObject(worker, INFINITE);
    return 0;
}
