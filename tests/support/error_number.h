#pragma once

#include "core/platform/runtime_error.h"

namespace tessaron {

// The run-time error number an action raises, 0 when it raises none: most failures a
// player meets are told apart only by that number.
inline int errorNumberOf(auto&& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace tessaron
