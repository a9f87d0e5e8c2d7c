/* Processes and threads of the simulated machine: handles, the named mutex, threads, waits, time
   and the call log. */

#include "internal.h"

#include <chrono>
#include <cstdio>

namespace sim {

/* A wait longer than this in real time means the program would hang on Windows. */
static const auto kHangLimit = std::chrono::seconds(10);

std::atomic<int64_t> g_clock{0};
static thread_local DWORD t_lastError = 0;

State& S()
{
    static State state;
    return state;
}

void AdvanceClockTo(int64_t micros)
{
    int64_t now = g_clock.load();
    while (now < micros && !g_clock.compare_exchange_weak(now, micros)) {
    }
}

int64_t NowMicros() { return g_clock.load(); }

void Log(const std::string& fn, std::vector<std::string> args)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().calls.push_back({fn, std::move(args)});
}

void Fault(const std::string& what)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().faults.push_back(what);
}

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", (unsigned long long)value);
    return text;
}

std::string Quote(const char* text) { return text ? std::string(text) : std::string("(null)"); }

std::string Arg(const void* handle) { return Hex((uintptr_t)handle); }

std::vector<Call> Calls()
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().calls;
}

std::vector<Call> CallsOf(const std::string& fn)
{
    std::vector<Call> matching;
    for (const Call& call : Calls())
        if (call.fn == fn)
            matching.push_back(call);
    return matching;
}

std::vector<std::string> Faults()
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    return S().faults;
}

HANDLE NewHandle(Object object)
{
    State& s = S();
    HANDLE handle = (HANDLE)s.nextHandle;
    s.nextHandle += 4; /* never reused, so a closed handle stays recognisable */
    s.handles.emplace(handle, std::move(object));
    return handle;
}

Object* FindHandle(HANDLE handle)
{
    auto found = S().handles.find(handle);
    return found == S().handles.end() ? nullptr : &found->second;
}

static void JoinThreads()
{
    std::vector<std::shared_ptr<SimThread>> threads;
    {
        std::unique_lock<std::recursive_mutex> guard(S().lock);
        bool allDone = S().changed.wait_for(guard, kHangLimit, [] {
            for (auto& thread : S().threads)
                if (!thread->done)
                    return false;
            return true;
        });
        if (!allDone) {
            std::fprintf(stderr, "sim: a thread of the last test never ended\n");
            std::abort();
        }
        threads.swap(S().threads);
    }
    for (auto& thread : threads)
        if (thread->thread.joinable())
            thread->thread.join();
}

void Reset()
{
    JoinThreads();
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    State& s = S();
    s.calls.clear();
    s.faults.clear();
    s.devices.clear();
    s.handles.clear();
    s.heldNames.clear();
    s.failNextMutex = false;
    s.inbox.clear();
    s.uiActions.clear();
    s.boxes.clear();
    s.boxReplies.clear();
    s.clipboard.clear();
    g_clock = 0;
    ResetWindows();
}

void HoldMutexElsewhere(const std::string& name)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().heldNames.push_back(name);
}

void FailNextMutex()
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().failNextMutex = true;
}

/* Waits until the object is signalled or, when sent messages may wake the wait, one arrives. */
static DWORD WaitFor(HANDLE handle, DWORD milliseconds, bool wakeOnSent, const char* fn)
{
    std::unique_lock<std::recursive_mutex> guard(S().lock);
    Object* object = FindHandle(handle);
    if (!object || object->kind != Object::Thread) {
        S().faults.push_back(std::string(fn) + " on a handle that is not a live thread");
        return WAIT_FAILED;
    }
    std::shared_ptr<SimThread> thread = object->thread;
    auto ready = [&] { return thread->done || (wakeOnSent && !S().inbox.empty()); };
    auto limit = milliseconds == INFINITE ? kHangLimit : std::chrono::milliseconds(milliseconds);
    if (!S().changed.wait_for(guard, limit, ready)) {
        if (milliseconds != INFINITE)
            return WAIT_TIMEOUT;
        S().faults.push_back(std::string(fn) + " would wait forever" +
                             (S().inbox.empty() ? "" : ": the thread waits for this one"));
        return WAIT_FAILED;
    }
    return thread->done ? WAIT_OBJECT_0 : WAIT_OBJECT_0 + 1;
}

} // namespace sim

using namespace sim;

DWORD WINAPI GetLastError(void) { return t_lastError; }
void WINAPI SetLastError(DWORD error) { t_lastError = error; }

HANDLE WINAPI CreateMutexA(void* attributes, BOOL initialOwner, LPCSTR name)
{
    Log("CreateMutexA", {Arg(attributes), std::to_string(initialOwner), Quote(name)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    if (S().failNextMutex) {
        S().failNextMutex = false;
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    bool exists = false;
    for (const std::string& held : S().heldNames)
        exists = exists || (name && held == name);
    if (name && !exists)
        S().heldNames.push_back(name);
    SetLastError(exists ? ERROR_ALREADY_EXISTS : 0);
    return NewHandle({Object::Mutex, nullptr, nullptr});
}

HANDLE WINAPI CreateThread(void* attributes, size_t stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD flags, LPDWORD threadId)
{
    Log("CreateThread", {Arg(attributes), std::to_string(stackSize), Arg((void*)start),
                         Arg(parameter), std::to_string(flags)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    auto thread = std::make_shared<SimThread>();
    S().threads.push_back(thread);
    HANDLE handle = NewHandle({Object::Thread, thread, nullptr});
    if (threadId)
        *threadId = (DWORD)(uintptr_t)handle;
    thread->thread = std::thread([thread, start, parameter] {
        start(parameter);
        std::lock_guard<std::recursive_mutex> done(S().lock);
        thread->done = true;
        S().changed.notify_all();
    });
    return handle;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    Log("WaitForSingleObject", {Arg(handle), Hex(milliseconds)});
    return WaitFor(handle, milliseconds, false, "WaitForSingleObject");
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask)
{
    Log("MsgWaitForMultipleObjects", {std::to_string(count), Arg(count ? handles[0] : nullptr),
                                      std::to_string(waitAll), Hex(milliseconds), Hex(wakeMask)});
    if (count != 1) {
        Fault("MsgWaitForMultipleObjects: the simulation waits on one handle");
        return WAIT_FAILED;
    }
    return WaitFor(handles[0], milliseconds, (wakeMask & QS_SENDMESSAGE) != 0,
                   "MsgWaitForMultipleObjects");
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    Log("CloseHandle", {Arg(handle)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    Object* object = FindHandle(handle);
    if (!object) {
        S().faults.push_back("CloseHandle on a handle that is not open: " + Arg(handle));
        SetLastError(6);
        return FALSE;
    }
    if (object->kind == Object::PortHandle)
        object->device->open = false;
    S().handles.erase(handle);
    return TRUE;
}

/* Milliseconds of simulated time; wraps after 49.7 days as the real count does. */
DWORD WINAPI GetTickCount(void) { return (DWORD)(g_clock.load() / 1000); }

void WINAPI Sleep(DWORD milliseconds)
{
    Log("Sleep", {std::to_string(milliseconds)});
    g_clock += (int64_t)milliseconds * 1000;
    /* A thousandth of the time in earnest: other threads get their turn, tests stay fast. */
    std::this_thread::sleep_for(std::chrono::microseconds(milliseconds));
}
