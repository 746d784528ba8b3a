// A hidden window on the thread that hosts the control, for tests that need to know when
// the host has handled what they posted to it. Posted messages are handled in order: once
// a cookie posted as kProbeMark reads back through kProbeRead, everything posted to that
// thread before it (clicks, keys, and what their handling posted in turn) has been handled.
// A sent message could not tell: it is answered before posted ones. Real input (SendInput)
// waits in the input queue, which the thread reads after posted messages: a cookie posted
// as kProbeMarkAfterInput is kept from a timer, whose message comes only once no posted
// message and no input is waiting, so it reads back once that input has been handled too.
#pragma once

#include <windows.h>

// A message-only window of this class, one per live control.
const char kProbeClass[] = "JVLinkStandInProbe";
const UINT kProbeMark = WM_APP + 1;  // posted: lParam is the cookie to keep
const UINT kProbeRead = WM_APP + 2;  // sent: returns the last cookie kept
const UINT kProbeMarkAfterInput = WM_APP + 3;  // posted: lParam is the cookie to keep from a timer

class StandInProbe {
public:
    StandInProbe();
    ~StandInProbe();
    StandInProbe(const StandInProbe&) = delete;
    StandInProbe& operator=(const StandInProbe&) = delete;

private:
    HWND m_window = nullptr;
};
