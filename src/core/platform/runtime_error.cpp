#include "core/platform/runtime_error.h"

#include <utility>

namespace tessaron {

std::string_view errorDescription(ErrorNumber number)
{
    for (const auto& [known, description] : kErrorDescriptions) {
        if (known == number)
            return description;
    }
    return "Application-defined or object-defined error";
}

RuntimeError::RuntimeError(ErrorNumber number)
    : RuntimeError(number, std::string(errorDescription(number)))
{
}

RuntimeError::RuntimeError(ErrorNumber number, std::string description)
    : std::runtime_error(formatErrorMessage(number, description)), number_(number),
      description_(std::move(description))
{
}

std::string formatErrorMessage(ErrorNumber number, std::string_view description)
{
    std::string text = "Error: ";
    text += std::to_string(static_cast<int>(number));
    text += ".  ";
    text += description;
    return text;
}

std::string formatErrorMessage(const RuntimeError& error)
{
    return formatErrorMessage(error.number(), error.description());
}

}  // namespace tessaron
