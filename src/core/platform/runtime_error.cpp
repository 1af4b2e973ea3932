#include "core/platform/runtime_error.h"

#include <array>
#include <utility>

namespace tessaron {
namespace {

struct ErrorEntry {
    int number;
    std::string_view description;
};

constexpr std::array kErrors{
    ErrorEntry{err::Overflow, "Overflow"},
    ErrorEntry{err::OutOfMemory, "Out of memory"},
    ErrorEntry{err::SubscriptOutOfRange, "Subscript out of range"},
    ErrorEntry{err::DivisionByZero, "Division by zero"},
    ErrorEntry{err::TypeMismatch, "Type mismatch"},
    ErrorEntry{err::InternalError, "Internal error"},
    ErrorEntry{err::FileNotFound, "File not found"},
    ErrorEntry{err::DiskFull, "Disk full"},
    ErrorEntry{err::InputPastEndOfFile, "Input past end of file"},
    ErrorEntry{err::DeviceUnavailable, "Device unavailable"},
    ErrorEntry{err::PermissionDenied, "Permission denied"},
    ErrorEntry{err::PathFileAccessError, "Path/File access error"},
    ErrorEntry{err::PathNotFound, "Path not found"},
    ErrorEntry{err::InvalidPicture, "Invalid picture"},
};

constexpr std::string_view kUnknownError = "Application-defined or object-defined error";

}  // namespace

std::string_view errorDescription(int number)
{
    for (const auto& entry : kErrors) {
        if (entry.number == number)
            return entry.description;
    }
    return kUnknownError;
}

RuntimeError::RuntimeError(int number)
    : RuntimeError(number, std::string(errorDescription(number)))
{
}

RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error(formatErrorMessage(number, description)), number_(number),
      description_(std::move(description))
{
}

std::string formatErrorMessage(int number, std::string_view description)
{
    std::string text = "Error: ";
    text += std::to_string(number);
    text += ".  ";
    text += description;
    return text;
}

std::string formatErrorMessage(const RuntimeError& error)
{
    return formatErrorMessage(error.number(), error.description());
}

}  // namespace tessaron
