#ifndef CHARGEVIEW_STANDIN_INTERNAL_H
#define CHARGEVIEW_STANDIN_INTERNAL_H

/* Shared state of the simulation. One lock guards it all; dialog procedures and thread entries run
   without it. */

#include "edit_model.h"
#include "sim.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

struct HWND__ {
    int id = 0;
    std::string className; /* "#32770" for dialogs, else "EDIT", "BUTTON", "STATIC" */
    std::string text;
    DWORD style = 0;
    bool enabled = true;
    HFONT font = nullptr;
    RECT rect = {0, 0, 0, 0};
    HWND parent = nullptr;
    std::vector<HWND> children;
    DLGPROC proc = nullptr;
    bool ended = false;
    INT_PTR endResult = 0;
    EditModel edit;
    std::thread::id owner;
};

namespace sim {

struct PortEvent {
    enum Kind { Byte, LineError, FailRead, Unplug } kind;
    int64_t at; /* microseconds after the port was opened */
    unsigned char byte;
    DWORD errors;
};

struct Device {
    std::string path;
    bool inUse = false;
    bool open = false;
    int64_t openedAt = 0;
    int64_t cursor = 0; /* where the script goes on, relative to the open */
    std::deque<PortEvent> timeline;
    std::deque<unsigned char> queue;
    size_t capacity = 4096;
    size_t lost = 0, maxBacklog = 0;
    DWORD pendingErrors = 0;
    int failReads = 0;
    bool gone = false;
    Unplugged goneHow = Unplugged::ReadsFail;
    long reads = 0, readsAfterUnplug = 0;
    uint64_t feeds = 0; /* how often a test changed the script: wakes a waiting read */
    DCB driverDcb;
    DCB setDcb;
    COMMTIMEOUTS timeouts = {0, 0, 0, 0, 0};
    COMMTIMEOUTS setTimeouts = {0, 0, 0, 0, 0};
};

struct SimThread {
    std::thread thread;
    bool done = false;
};

struct Object {
    enum Kind { Mutex, Thread, PortHandle, FontObject } kind;
    std::shared_ptr<SimThread> thread;
    std::shared_ptr<Device> device;
};

struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

struct State {
    std::recursive_mutex lock;
    std::condition_variable_any changed; /* any thread ended, message sent, or device fed */
    std::vector<Call> calls;
    std::vector<std::string> faults;
    std::map<std::string, std::shared_ptr<Device>> devices;
    std::map<HANDLE, Object> handles;
    uintptr_t nextHandle = 0x100;
    std::vector<std::shared_ptr<SimThread>> threads;
    std::vector<std::string> heldNames;
    bool failNextMutex = false;
    std::vector<std::unique_ptr<HWND__>> windows;
    HWND desktop = nullptr;
    HWND lastDialog = nullptr;
    std::deque<SentMessage*> inbox;
    std::deque<std::function<bool()>> uiActions;
    std::vector<MessageBoxCall> boxes;
    std::deque<int> boxReplies;
    std::string clipboard;
    int64_t charCostMicros = 0;
};

State& S();
extern std::atomic<int64_t> g_clock;
void AdvanceClockTo(int64_t micros);

void Log(const std::string& fn, std::vector<std::string> args);
void Fault(const std::string& what);
std::string Hex(uint64_t value);
std::string Quote(const char* text);
HANDLE NewHandle(Object object);
Object* FindHandle(HANDLE handle);
bool IsWindowHandle(HWND window);
LRESULT DispatchLocal(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ResetWindows();

} // namespace sim

#endif
