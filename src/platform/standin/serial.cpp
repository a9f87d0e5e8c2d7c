/* Serial devices of the simulated machine: opening, line settings, and reads that follow a scripted
   timeline with the time-out rules of COMMTIMEOUTS. */

#include "internal.h"

#include <chrono>
#include <cstring>

namespace sim {

static const DWORD kMaxDword = 0xFFFFFFFFu;

static std::shared_ptr<Device> FindDevice(const std::string& path)
{
    auto found = S().devices.find(path);
    return found == S().devices.end() ? nullptr : found->second;
}

static DCB DefaultDriverDcb()
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 1200;
    dcb.fBinary = 1;
    dcb.ByteSize = 7;
    dcb.Parity = 2;
    dcb.StopBits = 2;
    return dcb;
}

Port AddPort(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    auto device = std::make_shared<Device>();
    device->path = path;
    device->driverDcb = DefaultDriverDcb();
    std::memset(&device->setDcb, 0, sizeof device->setDcb);
    S().devices[path] = device;
    return Port(path);
}

void AddPortInUse(const std::string& path)
{
    AddPort(path);
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    S().devices[path]->inUse = true;
}

/* Runs the given change on the device under the lock and wakes a reader waiting for data. */
template <typename Change> static void WithDevice(const std::string& path, Change change)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = FindDevice(path);
    if (!device) {
        S().faults.push_back("test scripted a device that does not exist: " + path);
        return;
    }
    /* What a test adds while the port is open arrives from now on, not in the past. */
    if (device->open)
        device->cursor = std::max(device->cursor, NowMicros() - device->openedAt);
    change(*device);
    device->feeds++;
    S().changed.notify_all();
}

Port& Port::Send(const std::string& bytes)
{
    WithDevice(path_, [&](Device& d) {
        for (unsigned char byte : bytes)
            d.timeline.push_back({PortEvent::Byte, d.cursor, byte, 0});
    });
    return *this;
}

Port& Port::SendAtRate(const std::string& bytes, double bytesPerSecond)
{
    WithDevice(path_, [&](Device& d) {
        double gap = 1e6 / bytesPerSecond;
        double at = (double)d.cursor;
        for (unsigned char byte : bytes) {
            at += gap;
            d.timeline.push_back({PortEvent::Byte, (int64_t)at, byte, 0});
        }
        d.cursor = (int64_t)at;
    });
    return *this;
}

Port& Port::Silence(int ms)
{
    WithDevice(path_, [&](Device& d) { d.cursor += (int64_t)ms * 1000; });
    return *this;
}

Port& Port::LineError(DWORD errors)
{
    WithDevice(path_, [&](Device& d) {
        d.timeline.push_back({PortEvent::LineError, d.cursor, 0, errors});
    });
    return *this;
}

Port& Port::FailReads(int count)
{
    WithDevice(path_, [&](Device& d) {
        d.timeline.push_back({PortEvent::FailRead, d.cursor, 0, (DWORD)count});
    });
    return *this;
}

Port& Port::Unplug(Unplugged how)
{
    WithDevice(path_, [&](Device& d) {
        d.goneHow = how;
        d.timeline.push_back({PortEvent::Unplug, d.cursor, 0, 0});
    });
    return *this;
}

Port& Port::DriverDcb(const DCB& dcb)
{
    WithDevice(path_, [&](Device& d) { d.driverDcb = dcb; });
    return *this;
}

Port& Port::QueueCapacity(size_t bytes)
{
    WithDevice(path_, [&](Device& d) { d.capacity = bytes; });
    return *this;
}

template <typename Value, typename Read> static Value ReadDevice(const std::string& path, Read read)
{
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = FindDevice(path);
    return device ? read(*device) : Value();
}

DCB Port::SetDcb() const
{
    return ReadDevice<DCB>(path_, [](Device& d) { return d.setDcb; });
}
COMMTIMEOUTS Port::SetTimeouts() const
{
    return ReadDevice<COMMTIMEOUTS>(path_, [](Device& d) { return d.setTimeouts; });
}
size_t Port::Lost() const
{
    return ReadDevice<size_t>(path_, [](Device& d) { return d.lost; });
}
size_t Port::MaxBacklog() const
{
    return ReadDevice<size_t>(path_, [](Device& d) { return d.maxBacklog; });
}
size_t Port::Backlog() const
{
    return ReadDevice<size_t>(path_, [](Device& d) { return d.queue.size() + d.timeline.size(); });
}
long Port::Reads() const
{
    return ReadDevice<long>(path_, [](Device& d) { return d.reads; });
}
long Port::ReadsAfterUnplug() const
{
    return ReadDevice<long>(path_, [](Device& d) { return d.readsAfterUnplug; });
}
bool Port::Open() const
{
    return ReadDevice<bool>(path_, [](Device& d) { return d.open; });
}

/* Moves what the timeline holds up to now into the driver: bytes into the receive queue (or lost
   when it is full), errors and failures into the line state. */
static void Advance(Device& d)
{
    int64_t now = NowMicros() - d.openedAt;
    while (!d.timeline.empty() && d.timeline.front().at <= now) {
        PortEvent event = d.timeline.front();
        d.timeline.pop_front();
        switch (event.kind) {
        case PortEvent::Byte:
            if (d.queue.size() < d.capacity)
                d.queue.push_back(event.byte);
            else
                d.lost++;
            break;
        case PortEvent::LineError:
            d.pendingErrors |= event.errors;
            break;
        case PortEvent::FailRead:
            d.failReads += (int)event.errors;
            break;
        case PortEvent::Unplug:
            d.gone = true;
            break;
        }
    }
    d.maxBacklog = std::max(d.maxBacklog, d.queue.size());
}

static std::shared_ptr<Device> PortOf(HANDLE handle, const char* fn)
{
    Object* object = FindHandle(handle);
    if (!object || object->kind != Object::PortHandle) {
        S().faults.push_back(std::string(fn) +
                             " on a handle that is not an open port: " + Arg(handle));
        return nullptr;
    }
    return object->device;
}

/* How long a read of this many bytes may wait for its first byte, in microseconds; -1 = forever. */
static int64_t ReadTimeout(const COMMTIMEOUTS& t, DWORD toRead)
{
    if (t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
        t.ReadTotalTimeoutConstant == 0)
        return 0;
    if (t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0)
        return -1;
    return ((int64_t)t.ReadTotalTimeoutMultiplier * toRead + t.ReadTotalTimeoutConstant) * 1000;
}

} // namespace sim

using namespace sim;

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, void* attributes,
                          DWORD disposition, DWORD flags, HANDLE templateFile)
{
    Log("CreateFileA", {Quote(path), Hex(access), std::to_string(shareMode), Arg(attributes),
                        std::to_string(disposition), Hex(flags), Arg(templateFile)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = path ? FindDevice(path) : nullptr;
    if (!device) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    /* Exclusive use: a device held by anyone, this program included, does not open again. */
    if (device->inUse || device->open) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    device->open = true;
    device->openedAt = NowMicros();
    device->timeouts = {0, 0, 0, 0, 0};
    return NewHandle({Object::PortHandle, nullptr, device});
}

BOOL WINAPI GetCommState(HANDLE port, LPDCB dcb)
{
    Log("GetCommState", {Arg(port)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = PortOf(port, "GetCommState");
    if (!device)
        return FALSE;
    *dcb = device->driverDcb;
    return TRUE;
}

BOOL WINAPI SetCommState(HANDLE port, LPDCB dcb)
{
    Log("SetCommState", {Arg(port)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = PortOf(port, "SetCommState");
    if (!device)
        return FALSE;
    device->setDcb = *dcb;
    device->driverDcb = *dcb;
    return TRUE;
}

BOOL WINAPI GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts)
{
    Log("GetCommTimeouts", {Arg(port)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = PortOf(port, "GetCommTimeouts");
    if (!device)
        return FALSE;
    *timeouts = device->timeouts;
    return TRUE;
}

BOOL WINAPI SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts)
{
    Log("SetCommTimeouts", {Arg(port)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = PortOf(port, "SetCommTimeouts");
    if (!device)
        return FALSE;
    device->timeouts = device->setTimeouts = *timeouts;
    return TRUE;
}

BOOL WINAPI ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status)
{
    Log("ClearCommError", {Arg(port)});
    std::lock_guard<std::recursive_mutex> guard(S().lock);
    std::shared_ptr<Device> device = PortOf(port, "ClearCommError");
    if (!device)
        return FALSE;
    Advance(*device);
    if (device->gone) {
        SetLastError(ERROR_BAD_COMMAND);
        return FALSE;
    }
    if (errors)
        *errors = device->pendingErrors;
    device->pendingErrors = 0;
    if (status) {
        std::memset(status, 0, sizeof *status);
        status->cbInQue = (DWORD)device->queue.size();
    }
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped)
{
    Log("ReadFile", {Arg(file), std::to_string(toRead), Arg(overlapped)});
    std::unique_lock<std::recursive_mutex> guard(S().lock);
    *read = 0;
    std::shared_ptr<Device> device = PortOf(file, "ReadFile");
    if (!device) {
        SetLastError(6);
        return FALSE;
    }
    Device& d = *device;
    d.reads++;
    int64_t deadline = -1;
    for (;;) {
        Advance(d);
        if (d.gone) {
            d.readsAfterUnplug++;
            if (d.goneHow == Unplugged::ReadsFail) {
                SetLastError(ERROR_BAD_COMMAND);
                return FALSE;
            }
            AdvanceClockTo(NowMicros() + ReadTimeout(d.timeouts, toRead));
            return TRUE;
        }
        if (d.pendingErrors && d.driverDcb.fAbortOnError) {
            SetLastError(ERROR_OPERATION_ABORTED);
            return FALSE;
        }
        if (d.failReads > 0) {
            d.failReads--;
            SetLastError(ERROR_OPERATION_ABORTED);
            return FALSE;
        }
        if (!d.queue.empty()) {
            DWORD count = std::min<DWORD>(toRead, (DWORD)d.queue.size());
            for (DWORD i = 0; i < count; i++) {
                ((unsigned char*)buffer)[i] = d.queue.front();
                d.queue.pop_front();
            }
            *read = count;
            return TRUE;
        }
        int64_t timeout = ReadTimeout(d.timeouts, toRead);
        if (deadline < 0)
            deadline = timeout < 0 ? INT64_MAX : NowMicros() + timeout;
        if (!d.timeline.empty() && d.timeline.front().at + d.openedAt <= deadline) {
            AdvanceClockTo(d.timeline.front().at + d.openedAt);
            continue;
        }
        /* Nothing is due before the time-out: give a test feeding the device live a moment. */
        uint64_t feeds = d.feeds;
        bool fed = S().changed.wait_for(guard, std::chrono::milliseconds(2),
                                        [&] { return d.feeds != feeds; });
        if (fed)
            continue;
        if (deadline == INT64_MAX)
            continue;
        AdvanceClockTo(deadline);
        return TRUE;
    }
}
