// A hidden window on the thread that hosts the control, for tests that need to know when
// the host has handled what they posted to it. Posted messages are handled in order: once
// a cookie posted as kProbeMark reads back through kProbeRead, everything posted to that
// thread before it (clicks, keys, and what their handling posted in turn) has been handled.
// A sent message could not tell: it is answered before posted ones.
#pragma once

#include <windows.h>

// A message-only window of this class, one per live control.
const char kProbeClass[] = "JVLinkStandInProbe";
const UINT kProbeMark = WM_APP + 1;  // posted: lParam is the cookie to keep
const UINT kProbeRead = WM_APP + 2;  // sent: returns the last cookie kept

class StandInProbe {
public:
    StandInProbe();
    ~StandInProbe();
    StandInProbe(const StandInProbe&) = delete;
    StandInProbe& operator=(const StandInProbe&) = delete;

private:
    HWND m_window = nullptr;
};
