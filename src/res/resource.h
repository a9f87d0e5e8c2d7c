#ifndef CHARGEVIEW_RESOURCE_H
#define CHARGEVIEW_RESOURCE_H

/* Control identifiers of the main window. */
#define IDC_RECVTEXT 1000
#define IDC_START 1001
#define IDC_CLEAR 1002
#define IDC_EXIT 1003
#define IDC_PORTNAME 1004

#endif
