#pragma once
// Nothing thrown may cross Qt's event loop: Qt does not carry an exception through its
// own frames, and the game would end with the player's puzzle. Every entry point from
// the event loop (a slot, a timer, an event handler) runs its work through here.

#include <functional>
#include <type_traits>
#include <utility>

class QWidget;

namespace tessaron {

// Runs `work`. A run-time error shows as its message box, running out of memory as Out
// of memory, and anything else as Internal error; the game goes on either way.
void runGuarded(QWidget* parent, const std::function<void()>& work) noexcept;

// `slot` for connect(), run guarded; it takes all of the signal's arguments or none.
template <typename Slot>
auto guarded(QWidget* parent, Slot slot)
{
    return [parent, slot = std::move(slot)](auto&&... arguments) {
        runGuarded(parent, [&] {
            if constexpr (std::is_invocable_v<Slot&, decltype(arguments)...>)
                slot(std::forward<decltype(arguments)>(arguments)...);
            else
                slot();
        });
    };
}

// A member function of `receiver` as a guarded slot, its boxes over the receiver.
template <typename Receiver, typename... Arguments>
auto guarded(Receiver* receiver, void (Receiver::*slot)(Arguments...))
{
    return guarded(receiver, [receiver, slot](Arguments... arguments) { (receiver->*slot)(arguments...); });
}

}  // namespace tessaron
