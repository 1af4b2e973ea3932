#include "ui/platform/guarded.h"

#include "core/platform/runtime_error.h"
#include "ui/platform/message_box.h"

#include <new>
#include <optional>

namespace tessaron {

void runGuarded(QWidget* parent, const std::function<void()>& work) noexcept
{
    try {
        std::optional<RuntimeError> failure;
        try {
            work();
        } catch (const RuntimeError& error) {
            failure = error;
        } catch (const std::bad_alloc&) {
            failure = RuntimeError(err::OutOfMemory);
        } catch (...) {
            failure = RuntimeError(err::InternalError);
        }
        if (failure)
            showError(parent, *failure);
    } catch (...) {
        // The box itself failed, for want of memory: the game goes on all the same.
    }
}

}  // namespace tessaron
