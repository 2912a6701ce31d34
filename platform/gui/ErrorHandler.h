// The application-wide error handler and the guard every event handler runs
// through: an error a command does not handle ends that command and is shown
// in the error box, and the program goes on with the next event. Exceptions
// never cross Qt's event loop.
#pragma once

#include <exception>
#include <string>
#include <type_traits>
#include <utility>

class TErrorHandler {
public:
    // The text shown for a message: a "." is appended when the last
    // character's code is above that of ".".
    static std::string DisplayText(const std::string& message);
    static void Show(const std::exception& error);
    static void ShowUnknown();

    // Runs handler; returns false when it raised (the error is then shown).
    template <typename F> static bool Guard(F&& handler)
    {
        try {
            std::forward<F>(handler)();
            return true;
        } catch (const std::exception& error) {
            Show(error);
        } catch (...) {
            ShowUnknown();
        }
        return false;
    }
};

// A slot for connect() that runs a member handler of the receiver through
// the guard: connect(button, &QPushButton::clicked, this, Guarded(this,
// &TdlgX::btnOkClick)). Any arguments the signal passes are given to a
// handler that takes them and dropped for one that takes none.
template <typename TReceiver, typename THandler> auto Guarded(TReceiver* receiver, THandler handler)
{
    return [receiver, handler](auto&&... arguments) {
        TErrorHandler::Guard([&] {
            if constexpr (std::is_invocable_v<THandler, TReceiver*, decltype(arguments)...>)
                (receiver->*handler)(std::forward<decltype(arguments)>(arguments)...);
            else
                (receiver->*handler)();
        });
    };
}
