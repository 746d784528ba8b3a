// The stand-in's behaviour is driven by environment variables, read afresh
// at every call so a host (or a test) may change them between calls.
#pragma once

#include <string>

namespace StandInEnvironment {

// False when the variable is not set at all. A variable set to an empty
// value is set: the result is true and value is empty.
bool read(const wchar_t* name, std::wstring& value);

// A decimal, possibly negative, number; fallback when unset or not a number.
long readNumber(const wchar_t* name, long fallback);

}  // namespace StandInEnvironment
