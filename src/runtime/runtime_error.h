#pragma once
// Errors the runtime raises and the callers' error traps catch: a number, the
// source that raised it and a Dutch description, as the original runtime's
// Err object carried them.

#include <stdexcept>
#include <string>

namespace zelk {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, std::string source, std::string description);
    // An error with the runtime's own Dutch description for its number.
    explicit RuntimeError(long number, std::string source = "ZelkExtract2");

    long number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

private:
    long number_;
    std::string source_;
    std::string description_;
};

// The runtime's description of its own error numbers (5, 6, 9, 11, 13, 52,
// 53, 55, 57, 61, 62, 68, 70, 71, 75, 76, 91, 94, 1004, ...).
std::string runtimeErrorDescription(long number);

}  // namespace zelk
