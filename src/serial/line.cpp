#include "reception.h"

/* 9600 baud 8N1 without output flow control; every other setting stays as the driver has it. */
void SetLine(HANDLE port)
{
    DCB dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    SetCommState(port, &dcb);

    /* A one-byte read returns as soon as a byte is there, or empty after a second of silence. */
    COMMTIMEOUTS timeouts;
    GetCommTimeouts(port, &timeouts);
    timeouts.ReadIntervalTimeout = 1000;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    SetCommTimeouts(port, &timeouts);
}
