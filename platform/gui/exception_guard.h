#pragma once
// Exceptions must not cross a Qt event or slot boundary. Every boundary runs
// its work through Guard, which, as the class library's default handler does,
// shows the exception's message in an error box and carries on.

#include <exception>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

namespace vdx::gui {

// The silent exception: it ends what runs, and the handler shows nothing.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The error box of the default handler: the message (with a "." added when
// it ends in a character above "."), the application title, one OK button.
void ShowException(const std::string& message);
// Shows the exception held by e (any type: "Unknown exception." for one that
// is no std::exception); EAbort shows nothing.
void HandleException(std::exception_ptr e) noexcept;

// Runs f; an exception is handled as above. Returns false when f threw.
template <class F> bool Guard(F&& f) noexcept {
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

// f wrapped for a connect(): the slot runs through Guard. It gets the
// signal's arguments when it takes them, else none.
template <class F> auto Guarded(F f) {
    return [f = std::move(f)](auto&&... args) mutable {
        Guard([&] {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                f(std::forward<decltype(args)>(args)...);
            else
                f();
        });
    };
}

} // namespace vdx::gui
