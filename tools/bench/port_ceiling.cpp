// What the port alone allows: reads a COM port the way chargeview's reader does (one byte per
// ReadFile, the program's own line settings and time-outs) but does nothing with the bytes, and
// prints the rate from the first byte to the last.
//
//   port_ceiling PORT COUNT   ->   ok <bytes> <seconds> <bytes per second>
//   (PORT as CreateFile takes it, e.g. COM7 or \\.\COM12; gives up after 3 s of silence)
#include "serial/reception.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        printf("err usage: port_ceiling PORT COUNT\n");
        return 2;
    }
    long wanted = atol(argv[2]);
    HANDLE port = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        printf("err open %lu\n", GetLastError());
        return 1;
    }
    SetLine(port);

    LARGE_INTEGER frequency, first = {}, last = {};
    QueryPerformanceFrequency(&frequency);
    long got = 0;
    int silentReads = 0;
    while (got < wanted && silentReads < 3) {
        unsigned char byte;
        DWORD count = 0;
        ReadFile(port, &byte, 1, &count, nullptr);
        if (count != 1) {
            silentReads++;
            continue;
        }
        silentReads = 0;
        QueryPerformanceCounter(&last);
        if (got++ == 0)
            first = last;
    }
    CloseHandle(port);
    double seconds = double(last.QuadPart - first.QuadPart) / double(frequency.QuadPart);
    // Rate over the intervals between bytes: the first byte's arrival is the clock's start.
    printf("%s %ld %.6f %.1f\n", got == wanted ? "ok" : "err short", got, seconds,
           seconds > 0 ? (got - 1) / seconds : 0.0);
    return got == wanted ? 0 : 1;
}
