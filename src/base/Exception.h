#pragma once
// The error type every failure of the program is raised as: it carries the ANSI text
// that the application's error display shows.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A directory could not be entered: carries the system error code.
class EInOutError : public Exception {
public:
    explicit EInOutError(unsigned long code) : Exception(MessageFor(code)), code_(code) {}
    unsigned long ErrorCode() const { return code_; }

    static std::string MessageFor(unsigned long code) {
        switch (code) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
        }
        return "I/O error " + std::to_string(code);
    }

private:
    unsigned long code_;
};

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};
