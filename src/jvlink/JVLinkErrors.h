// Japanese texts for JV-Link return codes.
//
// The same code means different things for different JV-Link methods, so a
// code is always looked up together with the name of the method that
// returned it. All texts are ANSI strings in code page 932.
#pragma once

#include <cstdint>
#include <string>

// Message for the method and code, then the code in parentheses, e.g.
// "sid が設定されていません。(-101)". A name or code the catalogue does not
// know gives only the parenthesised code, so the result is never empty.
// Names are compared byte for byte (case-sensitive, no trimming).
std::string JVLinkErrorText(const std::string& methodName, std::int32_t code);

// Main window's report when JVInit does not answer 0.
std::string JVInitFailureText(std::int32_t code);

// Main window's report when JVSetUIProperties does not answer 0.
std::string JVSetUIPropertiesFailureText(std::int32_t code);
