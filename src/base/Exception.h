#pragma once
// The error type every failure of the program is raised as: it carries the ANSI text
// that the application's error display shows.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};
