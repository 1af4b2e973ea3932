#pragma once
// Run-time errors as the game reports them: a number and a description from one table.

#include <stdexcept>
#include <string>
#include <string_view>

namespace tessaron {

// The error numbers the game raises or lets through somewhere.
namespace err {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int DivisionByZero = 11;
inline constexpr int TypeMismatch = 13;
inline constexpr int InternalError = 51;
inline constexpr int FileNotFound = 53;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPicture = 481;
}  // namespace err

// The description that belongs to an error number; numbers outside the table get the
// generic description, so every error can still be reported.
std::string_view errorDescription(int number);

class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number);
    RuntimeError(int number, std::string description);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }

private:
    int number_;
    std::string description_;
};

// "Error: N.  description" (a full stop and two blanks), the text of every error report.
std::string formatErrorMessage(int number, std::string_view description);
std::string formatErrorMessage(const RuntimeError& error);

}  // namespace tessaron
