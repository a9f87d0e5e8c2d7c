// The end-to-end tests' hands and eyes: a Win32 console program, run under the same wineserver as
// chargeview.exe, that takes one command per line on stdin and answers one line on stdout:
//   ok [values...]   or   err <reason> [values...]
// Texts are answered as JSON strings in UTF-8; the window it works on is the last one found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND mainWindow;

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return "";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr,
                                   nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return L"";
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], size);
    return out;
}

std::string Json(const std::wstring& text)
{
    std::string utf8 = ToUtf8(text);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

std::string Hex(const void* value)
{
    char text[32];
    snprintf(text, sizeof text, "0x%llx", (unsigned long long)(uintptr_t)value);
    return text;
}

std::string FromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += (char)strtoul(hex.substr(i, 2).c_str(), nullptr, 16);
    return out;
}

std::wstring WindowText(HWND window)
{
    // WM_GETTEXT straight, so a hung window shows as a time-out, not a hang of the probe.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length))
        return L"";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, (LPARAM)&text[0], SMTO_NORMAL, 5000,
                        &copied);
    text.resize(copied);
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[64] = {0};
    GetClassNameW(window, name, 64);
    return name;
}

struct Search {
    std::wstring caption;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param)
{
    Search* search = (Search*)param;
    if (window == search->except || !IsWindowVisible(window) || ClassName(window) != L"#32770")
        return TRUE;
    wchar_t caption[256] = {0};
    GetWindowTextW(window, caption, 256);
    if (search->caption.empty() || search->caption == caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(const std::wstring& caption, HWND except, int timeoutMs)
{
    DWORD until = GetTickCount() + timeoutMs;
    for (;;) {
        Search search = {caption, except, nullptr};
        EnumWindows(MatchCaption, (LPARAM)&search);
        if (search.found || (int)(GetTickCount() - until) >= 0)
            return search.found;
        Sleep(20);
    }
}

HWND Control(const std::string& id)
{
    int number = atoi(id.c_str());
    return number == 0 ? mainWindow : GetDlgItem(mainWindow, number);
}

std::string Reply(const std::vector<std::string>& args, const std::string& rest)
{
    const std::string& cmd = args[0];
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    auto num = [&](size_t i) { return atoi(arg(i).c_str()); };

    if (cmd == "find") {
        // find <timeout_ms> <caption>: a visible dialog window with exactly this caption.
        HWND found = FindDialog(FromUtf8(rest), nullptr, num(1));
        if (!found)
            return "err notfound";
        mainWindow = found;
        return "ok " + Hex(found);
    }
    if (!mainWindow && cmd != "msgbox" && cmd != "clipget" && cmd != "clipset" && cmd != "desktop")
        return "err nowindow";
    if (cmd == "exists")
        return std::string("ok ") + (IsWindow(mainWindow) ? "1" : "0");
    if (cmd == "wait_gone") {
        DWORD until = GetTickCount() + num(1);
        while (IsWindow(mainWindow)) {
            if ((int)(GetTickCount() - until) >= 0)
                return "err timeout";
            Sleep(10);
        }
        return "ok";
    }
    if (cmd == "text")
        return "ok " + Json(WindowText(Control(arg(1))));
    if (cmd == "len") {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(Control(arg(1)), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000,
                                 &length))
            return "err timeout";
        return "ok " + std::to_string(length);
    }
    if (cmd == "wait_len") {
        // wait_len <id> <at least> <timeout_ms>
        DWORD until = GetTickCount() + num(3);
        for (;;) {
            DWORD_PTR length = 0;
            SendMessageTimeoutW(Control(arg(1)), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000,
                                &length);
            if ((int)length >= num(2))
                return "ok " + std::to_string(length);
            if ((int)(GetTickCount() - until) >= 0)
                return "err timeout " + std::to_string(length);
            Sleep(20);
        }
    }
    if (cmd == "focus") {
        // focus: the id of the control that has the keyboard focus in the window's thread, 0 for
        // the window itself, -1 for none.
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(mainWindow, nullptr), &info))
            return "err threadinfo";
        if (!info.hwndFocus)
            return "ok -1";
        if (info.hwndFocus == mainWindow)
            return "ok 0";
        return "ok " + std::to_string(GetDlgCtrlID(info.hwndFocus));
    }
    if (cmd == "enabled")
        return std::string("ok ") + (IsWindowEnabled(Control(arg(1))) ? "1" : "0");
    if (cmd == "click") {
        HWND button = Control(arg(1));
        if (!button)
            return "err nocontrol";
        if (!IsWindowEnabled(button))
            return "err disabled";
        PostMessageW(button, BM_CLICK, 0, 0);
        return "ok";
    }
    if (cmd == "close") {
        PostMessageW(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        return "ok";
    }
    if (cmd == "key") {
        // key <id> <virtual key>: a key pressed while this control has the focus.
        HWND target = Control(arg(1));
        UINT vk = (UINT)strtoul(arg(2).c_str(), nullptr, 0);
        PostMessageW(target, WM_KEYDOWN, vk, 1);
        PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
        return "ok";
    }
    if (cmd == "setsel") {
        SendMessageW(Control(arg(1)), EM_SETSEL, num(2), num(3));
        return "ok";
    }
    if (cmd == "sel") {
        DWORD start = 0, end = 0;
        SendMessageW(Control(arg(1)), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        return "ok " + std::to_string(start) + " " + std::to_string(end);
    }
    if (cmd == "clickchar") {
        // clickchar <id> <index>: a mouse click just left of the character at this index.
        HWND box = Control(arg(1));
        LRESULT at = SendMessageW(box, EM_POSFROMCHAR, num(2), 0);
        if (at == -1)
            return "err noposition";
        LPARAM point = MAKELPARAM(LOWORD(at) + 1, HIWORD(at) + 2);
        PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(box, WM_LBUTTONUP, 0, point);
        return "ok";
    }
    if (cmd == "clipget") {
        if (!OpenClipboard(nullptr))
            return "err clipboard";
        std::string answer = "ok null";
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (data) {
            answer = "ok " + Json((const wchar_t*)GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return answer;
    }
    if (cmd == "clipset") {
        std::wstring text = FromUtf8(FromHex(arg(1)));
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        if (!OpenClipboard(nullptr))
            return "err clipboard";
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        return "ok";
    }
    if (cmd == "msgbox") {
        // msgbox <timeout_ms>: a message box (any dialog but the main window).
        HWND box = FindDialog(L"", mainWindow, num(1));
        if (!box)
            return "err notfound";
        HWND label = GetDlgItem(box, 0xFFFF);
        wchar_t caption[256] = {0};
        GetWindowTextW(box, caption, 256);
        return "ok " + Hex(box) + " " + Json(caption) + " " +
               Json(label ? WindowText(label) : L"") + " " + Hex(GetWindow(box, GW_OWNER));
    }
    if (cmd == "answer") {
        // answer <box> <button id>
        HWND box = (HWND)(uintptr_t)strtoull(arg(1).c_str(), nullptr, 0);
        int id = num(2);
        HWND button = GetDlgItem(box, id);
        if (!button)
            return "err nobutton";
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
        return "ok";
    }
    if (cmd == "rect" || cmd == "desktop") {
        RECT r;
        GetWindowRect(cmd == "rect" ? mainWindow : GetDesktopWindow(), &r);
        return "ok " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right) + " " + std::to_string(r.bottom);
    }
    if (cmd == "client") {
        RECT r;
        GetClientRect(mainWindow, &r);
        return "ok " + std::to_string(r.right) + " " + std::to_string(r.bottom);
    }
    if (cmd == "itemrect") {
        // itemrect <id>: a control's rectangle in its window's client coordinates.
        RECT r;
        GetWindowRect(Control(arg(1)), &r);
        MapWindowPoints(nullptr, mainWindow, (POINT*)&r, 2);
        return "ok " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right) + " " + std::to_string(r.bottom);
    }
    if (cmd == "ping") {
        // ping <timeout_ms>: how long the window takes to answer a message, in microseconds.
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        DWORD_PTR result;
        if (!SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, num(1), &result))
            return "err timeout";
        QueryPerformanceCounter(&end);
        return "ok " +
               std::to_string((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
    }
    if (cmd == "pid") {
        DWORD pid = 0;
        GetWindowThreadProcessId(mainWindow, &pid);
        return "ok " + std::to_string(pid);
    }
    return "err unknown";
}

} // namespace

int main()
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    char line[1 << 16];
    auto say = [&](const std::string& text) {
        std::string withEnd = text + "\n";
        DWORD written;
        WriteFile(out, withEnd.data(), (DWORD)withEnd.size(), &written, nullptr);
    };
    say("ok ready");
    while (fgets(line, sizeof line, stdin)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        std::vector<std::string> args;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t space = text.find(' ', pos);
            args.push_back(text.substr(pos, space - pos));
            pos = space == std::string::npos ? text.size() : space + 1;
        }
        if (args.empty())
            continue;
        if (args[0] == "quit")
            break;
        // find's caption is everything after its time-out, spaces included.
        std::string rest;
        if (args.size() > 2) {
            size_t second = text.find(' ', text.find(' ') + 1);
            rest = text.substr(second + 1);
        }
        say(Reply(args, rest));
    }
    return 0;
}
