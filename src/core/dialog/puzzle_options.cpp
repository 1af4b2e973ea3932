#include "core/dialog/puzzle_options.h"

#include "core/platform/arithmetic.h"

namespace tessaron {

std::int32_t leadingNumber(std::string_view text)
{
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<std::int32_t>(value);
}

std::int16_t pieceCount(std::string_view columns, std::string_view rows)
{
    return toInt16(static_cast<std::int64_t>(leadingNumber(rows)) * leadingNumber(columns));
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

}  // namespace tessaron
