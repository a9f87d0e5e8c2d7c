/* Windows of the simulated machine: dialogs built from the compiled template, their controls,
   messages sent within and across threads, modal loops, message boxes and fonts. */

#include "internal.h"

#include <chrono>

namespace sim {

/* Dialog units to pixels for the template's 9-point font, and the frame around the client area. */
static const int kBaseX = 6, kBaseY = 12, kFrameX = 6, kFrameY = 28;
static const auto kStepLimit = std::chrono::seconds(5);

void ResetWindows()
{
    State& s = S();
    s.windows.clear();
    s.windows.push_back(std::make_unique<HWND__>());
    s.desktop = s.windows.back().get();
    s.desktop->className = "#32769";
    s.desktop->rect = {0, 0, 1024, 768};
    s.lastDialog = nullptr;
    s.charCostMicros = 0;
}

bool IsWindowHandle(HWND window)
{
    for (auto& owned : S().windows)
        if (owned.get() == window)
            return true;
    return false;
}

static HWND NewWindow(const std::string& className, HWND parent)
{
    S().windows.push_back(std::make_unique<HWND__>());
    HWND window = S().windows.back().get();
    window->className = className;
    window->parent = parent;
    window->owner = std::this_thread::get_id();
    if (parent)
        parent->children.push_back(window);
    return window;
}

static std::string ClassName(const DialogItem& item)
{
    static const char* const kOrdinals[] = {"BUTTON", "EDIT", "STATIC"};
    if (item.classOrdinal >= 0x80 && item.classOrdinal <= 0x82)
        return kOrdinals[item.classOrdinal - 0x80];
    std::string name;
    for (char16_t c : item.className)
        name.push_back((char)(c >= 'a' && c <= 'z' ? c - 32 : c));
    return name;
}

HWND BuildDialog(const char* templateName, DLGPROC proc)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    const DialogTemplate* t = FindDialog(templateName ? templateName : "");
    if (!t) {
        S().faults.push_back(std::string("no dialog template named ") + Quote(templateName));
        return nullptr;
    }
    HWND dialog = NewWindow("#32770", nullptr);
    dialog->style = t->style;
    dialog->text = ToShiftJis(t->caption);
    dialog->proc = proc;
    dialog->rect = {t->x * kBaseX / 4, t->y * kBaseY / 8, (t->x + t->cx) * kBaseX / 4 + kFrameX,
                    (t->y + t->cy) * kBaseY / 8 + kFrameY};
    for (const DialogItem& item : t->items) {
        HWND control = NewWindow(ClassName(item), dialog);
        control->id = item.id;
        control->style = item.style;
        control->text = ToShiftJis(item.text);
        control->rect = {item.x * kBaseX / 4, item.y * kBaseY / 8, (item.x + item.cx) * kBaseX / 4,
                         (item.y + item.cy) * kBaseY / 8};
        control->edit.SetText(control->text);
    }
    S().lastDialog = dialog;
    return dialog;
}

/* What a control does with a message; runs on the window's own thread. */
LRESULT DispatchLocal(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window->proc)
        return window->proc(window, message, wParam, lParam);
    std::unique_lock<std::recursive_mutex> guard(S().lock);
    bool isEdit = window->className == "EDIT";
    switch (message) {
    case WM_SETFONT:
        window->font = (HFONT)wParam;
        return 0;
    case WM_SETTEXT:
        window->text = lParam ? (const char*)lParam : "";
        if (isEdit)
            window->edit.SetText(window->text);
        return TRUE;
    case WM_CHAR:
        if (isEdit) {
            window->edit.Char((unsigned char)wParam, S().clipboard);
            g_clock += S().charCostMicros;
        }
        return 0;
    case EM_SETSEL:
        window->edit.SetSel((size_t)wParam, (size_t)lParam);
        return 0;
    case EM_SETLIMITTEXT:
        window->edit.SetLimit((size_t)wParam);
        return 0;
    case BM_CLICK:
        if (window->className == "BUTTON" && window->enabled && window->parent) {
            HWND parent = window->parent;
            WPARAM command = MAKEWPARAM(window->id, 0);
            guard.unlock();
            return SendMessageA(parent, WM_COMMAND, command, (LPARAM)window);
        }
        return 0;
    }
    return 0;
}

void SetCharCost(int64_t micros)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().charCostMicros = micros;
}

size_t PendingSent()
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().inbox.size();
}

int PumpSentMessages()
{
    int taken = 0;
    for (;;) {
        SentMessage* sent;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            if (S().inbox.empty())
                return taken;
            sent = S().inbox.front();
            S().inbox.pop_front();
        }
        LRESULT result = DispatchLocal(sent->window, sent->message, sent->wParam, sent->lParam);
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        sent->result = result;
        sent->done = true;
        S().changed.notify_all();
        taken++;
    }
}

bool PumpUntil(const std::function<bool()>& condition, int limitMs)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        PumpSentMessages();
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::unique_lock<std::recursive_mutex> guard(S().lock);
        S().changed.wait_for(guard, std::chrono::milliseconds(1),
                             [] { return !S().inbox.empty(); });
    }
}

void QueueUiAction(std::function<bool()> step)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().uiActions.push_back(std::move(step));
}

/* The modal loop: takes sent messages and runs the user's steps until the dialog ends. */
static void RunModalLoop(HWND dialog)
{
    auto stepStarted = std::chrono::steady_clock::now();
    for (;;) {
        PumpSentMessages();
        std::function<bool()> step;
        {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            if (dialog->ended)
                return;
            if (S().uiActions.empty()) {
                S().faults.push_back(
                    "the dialog is still open with nothing left for the user to do");
                dialog->ended = true;
                dialog->endResult = -1;
                return;
            }
            step = S().uiActions.front();
        }
        if (step()) {
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            S().uiActions.pop_front();
            stepStarted = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - stepStarted > kStepLimit) {
            Fault("a user step never completed");
            std::lock_guard<std::recursive_mutex> guard(S().lock);
            S().uiActions.pop_front();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
}

std::string Text(HWND window)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    if (!window)
        return "";
    return window->className == "EDIT" ? window->edit.Text() : window->text;
}
size_t TextLength(HWND window)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    if (!window)
        return 0;
    return window->className == "EDIT" ? window->edit.Text().size() : window->text.size();
}
DWORD Style(HWND window) { return window ? window->style : 0; }
int Id(HWND window) { return window ? window->id : 0; }
HFONT Font(HWND window)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return window ? window->font : nullptr;
}
bool Ended(HWND dialog)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return dialog && dialog->ended;
}
INT_PTR EndResult(HWND dialog)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return dialog ? dialog->endResult : 0;
}
HWND LastDialog()
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().lastDialog;
}
void SetDesktopRect(RECT rect)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().desktop->rect = rect;
}
void SetWindowRectPx(HWND window, RECT rect)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    window->rect = rect;
}
RECT WindowRect(HWND window)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return window->rect;
}
Selection Sel(HWND edit)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return {edit->edit.SelStart(), edit->edit.SelEnd()};
}
size_t TextLimit(HWND edit)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return edit->edit.Limit();
}
std::string Clipboard()
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().clipboard;
}
void SetClipboard(const std::string& text)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().clipboard = text;
}
std::vector<MessageBoxCall> MessageBoxes()
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().boxes;
}
void QueueMessageBoxReply(int reply)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().boxReplies.push_back(reply);
}

} // namespace sim

using namespace sim;

static HWND CheckedWindow(HWND window, const char* fn)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    if (IsWindowHandle(window))
        return window;
    S().faults.push_back(std::string(fn) + " on something that is not a window");
    return nullptr;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM initParam)
{
    Log("DialogBoxParamA",
        {Arg(instance), Quote(templateName), Arg(owner), Arg((void*)proc), Hex(initParam)});
    HWND dialog = BuildDialog(templateName, proc);
    if (!dialog)
        return -1;
    proc(dialog, WM_INITDIALOG, 0, initParam);
    RunModalLoop(dialog);
    return EndResult(dialog);
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    Log("EndDialog", {Arg(dialog), std::to_string(result)});
    if (!CheckedWindow(dialog, "EndDialog"))
        return FALSE;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    dialog->ended = true;
    dialog->endResult = result;
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    Log("GetDlgItem", {Arg(dialog), std::to_string(id)});
    if (!CheckedWindow(dialog, "GetDlgItem"))
        return nullptr;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    for (HWND child : dialog->children)
        if (child->id == id)
            return child;
    return nullptr;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    Log("SetWindowTextA", {Arg(window), Quote(text)});
    if (!CheckedWindow(window, "SetWindowTextA"))
        return FALSE;
    return (BOOL)DispatchLocal(window, WM_SETTEXT, 0, (LPARAM)text);
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable)
{
    Log("EnableWindow", {Arg(window), std::to_string(enable)});
    if (!CheckedWindow(window, "EnableWindow"))
        return FALSE;
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    bool wasDisabled = !window->enabled;
    window->enabled = enable != FALSE;
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND window)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return IsWindowHandle(window) && window->enabled;
}

/* On the window's own thread the message is handled at once; from another thread it waits in the
   owner's queue until the owner takes it, and the sender waits with it. */
static LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::unique_lock<std::recursive_mutex> guard(S().lock);
    if (!IsWindowHandle(window)) {
        S().faults.push_back("a message sent to something that is not a window");
        return 0;
    }
    if (window->owner == std::this_thread::get_id()) {
        guard.unlock();
        return DispatchLocal(window, message, wParam, lParam);
    }
    SentMessage sent{window, message, wParam, lParam};
    S().inbox.push_back(&sent);
    S().changed.notify_all();
    S().changed.wait(guard, [&] { return sent.done; });
    return sent.result;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log("SendMessageA", {Arg(window), Hex(message), Hex(wParam), Hex((uintptr_t)lParam)});
    return Send(window, message, wParam, lParam);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log("SendDlgItemMessageA",
        {Arg(dialog), std::to_string(id), Hex(message), Hex(wParam), Hex((uintptr_t)lParam)});
    HWND item = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(S().lock);
        if (IsWindowHandle(dialog))
            for (HWND child : dialog->children)
                if (child->id == id)
                    item = child;
    }
    if (!item) {
        Fault("SendDlgItemMessageA to a control that does not exist");
        return 0;
    }
    return Send(item, message, wParam, lParam);
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove)
{
    Log("PeekMessageA", {Arg(window), Hex(first), Hex(last), Hex(remove)});
    (void)msg;
    PumpSentMessages();
    return FALSE; /* nothing is ever posted in the simulation */
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    Log("MessageBoxA", {Arg(owner), Quote(text), Quote(caption), Hex(type)});
    /* While the box is up its own loop keeps taking what other threads send. */
    PumpSentMessages();
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().boxes.push_back({owner, Quote(text), Quote(caption), type});
    if (!S().boxReplies.empty()) {
        int reply = S().boxReplies.front();
        S().boxReplies.pop_front();
        return reply;
    }
    if ((type & 0xF) == MB_OK)
        return IDOK;
    S().faults.push_back("a message box asked a question nobody answered: " + Quote(text));
    return IDNO;
}

HWND WINAPI GetDesktopWindow(void)
{
    Log("GetDesktopWindow", {});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().desktop;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    Log("GetWindowRect", {Arg(window)});
    if (!CheckedWindow(window, "GetWindowRect"))
        return FALSE;
    *rect = WindowRect(window);
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Log("SetWindowPos", {Arg(window), Arg(insertAfter), std::to_string(x), std::to_string(y),
                         std::to_string(cx), std::to_string(cy), Hex(flags)});
    if (!CheckedWindow(window, "SetWindowPos"))
        return FALSE;
    SetWindowRectPx(window, {x, y, x + cx, y + cy});
    return TRUE;
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR face)
{
    Log("CreateFontA",
        {std::to_string(height), std::to_string(width), std::to_string(escapement),
         std::to_string(orientation), std::to_string(weight), std::to_string(italic),
         std::to_string(underline), std::to_string(strikeOut), std::to_string(charSet),
         std::to_string(outPrecision), std::to_string(clipPrecision), std::to_string(quality),
         Hex(pitchAndFamily), Quote(face)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return (HFONT)NewHandle({Object::FontObject, nullptr, nullptr});
}
