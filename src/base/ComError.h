#pragma once
// Failed COM calls become exceptions, so handlers can call through without checking.
#include <windows.h>
#include <string>
#include "base/Exception.h"

class EOleError : public Exception {
public:
    EOleError(const std::string& message, HRESULT code) : Exception(message), code_(code) {}
    HRESULT Code() const { return code_; }
private:
    HRESULT code_;
};

// Raises EOleError for a failed HRESULT; the system's text for the code is the message.
void OleCheck(HRESULT hr);

// Raises the error of a failed IDispatch::Invoke: the control's own description when it
// gave one, else the system's text for the code. Frees the strings in the info.
[[noreturn]] void RaiseDispatchError(HRESULT hr, EXCEPINFO& info);
