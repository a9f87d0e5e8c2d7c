#ifndef CHARGEVIEW_STANDIN_SIM_H
#define CHARGEVIEW_STANDIN_SIM_H

/* What tests see and steer of the simulated machine behind the stand-in: serial devices, windows,
   message boxes, the clipboard, time, and a log of every call the program made. */

#include "win32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sim {

/* A fresh machine: no devices, no windows, no held names, time 0, empty log. Joins the threads
   the last test left. */
void Reset();

/* --- the call log ------------------------------------------------------------------------ */
struct Call {
    std::string fn;
    std::vector<std::string> args;
};
std::vector<Call> Calls();
std::vector<Call> CallsOf(const std::string& fn);
std::string Arg(const void* handle); /* how a handle or window appears in the log */
/* Misuse the simulation saw: a closed handle used, a wait that would hang, a box nobody answered.
 */
std::vector<std::string> Faults();

/* --- time ---------------------------------------------------------------------------------- */
int64_t NowMicros(); /* simulated time; moves with Sleep and read time-outs, not with the wall */

/* --- serial devices -------------------------------------------------------------------- */
enum class Unplugged {
    ReadsFail,   /* as on Windows: every read fails at once */
    ReadsTimeOut /* as under Wine on a pty: reads wait out the time-out and bring nothing */
};

/* A device at a path. Its script is a timeline that starts when the port is opened; bytes wait in
   the driver's receive queue (4096 bytes; more are lost and counted) until read. */
class Port {
  public:
    explicit Port(std::string path) : path_(std::move(path)) {}
    Port& Send(const std::string& bytes);
    Port& SendAtRate(const std::string& bytes, double bytesPerSecond);
    Port& Silence(int ms);
    Port& LineError(DWORD errors); /* reads fail (abort-on-error) until ClearCommError */
    Port& FailReads(int count);    /* reads fail at once with no error the driver can name */
    Port& Unplug(Unplugged how);
    Port& DriverDcb(const DCB& dcb);
    Port& QueueCapacity(size_t bytes);

    DCB SetDcb() const;               /* the last DCB the program handed to SetCommState */
    COMMTIMEOUTS SetTimeouts() const; /* the last COMMTIMEOUTS handed to SetCommTimeouts */
    size_t Lost() const;              /* bytes dropped because the receive queue was full */
    size_t MaxBacklog() const;        /* most bytes ever waiting in the receive queue */
    size_t Backlog() const;
    long Reads() const; /* ReadFile calls on this device */
    long ReadsAfterUnplug() const;
    bool Open() const;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};
Port AddPort(const std::string& path);
void AddPortInUse(const std::string& path); /* present, but held open by another program */

/* --- windows ---------------------------------------------------------------------------------- */
/* Builds a dialog from the compiled template without running its modal loop; no message is sent. */
HWND BuildDialog(const char* templateName, DLGPROC proc);
std::string Text(HWND window); /* Shift-JIS, as GetWindowTextA would give it */
size_t TextLength(HWND window);
DWORD Style(HWND window);
int Id(HWND window);
HFONT Font(HWND window);
bool Ended(HWND dialog);
INT_PTR EndResult(HWND dialog);
HWND LastDialog();
void SetDesktopRect(RECT rect);
void SetWindowRectPx(HWND window, RECT rect);
RECT WindowRect(HWND window);

struct Selection {
    size_t start, end;
};
Selection Sel(HWND edit);
size_t TextLimit(HWND edit);
std::string Clipboard();
void SetClipboard(const std::string& text);

/* Simulated time an edit box takes to handle one typed character (0 at first): what bounds how
   fast a reader can deliver, as a real box's drawing does. */
void SetCharCost(int64_t micros);

/* Messages other threads have sent to the UI thread that it has not taken yet. */
size_t PendingSent();
/* The UI thread takes the messages other threads sent it; returns how many. */
int PumpSentMessages();
/* Pumps until the condition holds or the real-time limit passes; returns the condition. */
bool PumpUntil(const std::function<bool()>& condition, int limitMs = 5000);

/* Steps the user takes inside a running modal loop (DialogBoxParamA), each run on the UI thread
   until it returns true. */
void QueueUiAction(std::function<bool()> step);

/* --- message boxes -----------------------------------------------------------------------------
 */
struct MessageBoxCall {
    HWND owner;
    std::string text; /* Shift-JIS */
    std::string caption;
    UINT type;
};
std::vector<MessageBoxCall> MessageBoxes();
void QueueMessageBoxReply(int reply);

/* --- names and resources --------------------------------------------------------------------- */
void HoldMutexElsewhere(const std::string& name);
void FailNextMutex();

struct DialogItem {
    DWORD style, exStyle;
    short x, y, cx, cy;
    WORD id;
    std::u16string className; /* empty when the class is given by ordinal */
    WORD classOrdinal;
    std::u16string text;
};
struct DialogTemplate {
    WORD language;
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::u16string menu, className, caption, face;
    WORD pointSize;
    std::vector<DialogItem> items;
    size_t extendedSignature; /* 0xFFFF0001 for an extended template, 0 for a classic one */
};
/* The compiled resources the program ships: dialog templates by name and resource types seen. */
const DialogTemplate* FindDialog(const std::string& name);
bool HasResource(WORD type, WORD language);

std::string ToShiftJis(const std::u16string& text);
std::string FromShiftJisToUtf8(const std::string& bytes);

} // namespace sim

#endif
