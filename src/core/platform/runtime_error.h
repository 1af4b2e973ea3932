#pragma once
// Run-time errors as the game reports them: a number and a description from one table.

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace tessaron {

// The error numbers the game raises or lets through somewhere.
enum class ErrorNumber : int {
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    InternalError = 51,
    FileNotFound = 53,
    DiskFull = 61,
    InputPastEndOfFile = 62,
    DeviceUnavailable = 68,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    InvalidPicture = 481,
};

// And what each one says.
inline constexpr std::array<std::pair<ErrorNumber, std::string_view>, 14> kErrorDescriptions{{
    {ErrorNumber::Overflow, "Overflow"},
    {ErrorNumber::OutOfMemory, "Out of memory"},
    {ErrorNumber::SubscriptOutOfRange, "Subscript out of range"},
    {ErrorNumber::DivisionByZero, "Division by zero"},
    {ErrorNumber::TypeMismatch, "Type mismatch"},
    {ErrorNumber::InternalError, "Internal error"},
    {ErrorNumber::FileNotFound, "File not found"},
    {ErrorNumber::DiskFull, "Disk full"},
    {ErrorNumber::InputPastEndOfFile, "Input past end of file"},
    {ErrorNumber::DeviceUnavailable, "Device unavailable"},
    {ErrorNumber::PermissionDenied, "Permission denied"},
    {ErrorNumber::PathFileAccessError, "Path/File access error"},
    {ErrorNumber::PathNotFound, "Path not found"},
    {ErrorNumber::InvalidPicture, "Invalid picture"},
}};

// The short names code raises them by: err::FileNotFound.
namespace err {
using enum ErrorNumber;
}  // namespace err

// The description that belongs to an error number; numbers outside the table get the
// generic description, so every error can still be reported.
std::string_view errorDescription(ErrorNumber number);

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(ErrorNumber number);
    RuntimeError(ErrorNumber number, std::string description);

    ErrorNumber number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

private:
    ErrorNumber number_;
    std::string description_;
};

// "Error: N.  description" (a full stop and two blanks), the text of every error report.
std::string formatErrorMessage(ErrorNumber number, std::string_view description);
std::string formatErrorMessage(const RuntimeError& error);

}  // namespace tessaron
