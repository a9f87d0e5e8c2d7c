#ifndef CHARGEVIEW_PLATFORM_H
#define CHARGEVIEW_PLATFORM_H

/* The program's one door to Win32: the real API on Windows, our stand-in on the build host. */
#ifdef _WIN32
#include <windows.h>
#else
#include "standin/win32.h"
#endif

#endif
