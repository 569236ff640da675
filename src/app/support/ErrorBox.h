#pragma once

#include <QString>

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

// The application's one error box: a failure that the user must see (a file that cannot be
// written, a number that does not read) ends the operation, shows its French text, and leaves
// the program running. Every text shown is also written to the journal.
namespace ErrorBox {

// Shows the text; by default a modal critical message box over the active window.
void Show(const QString& text);

// Replaces how texts are shown (tests record them instead); an empty function restores the box.
void SetPresenter(std::function<void(const QString&)> presenter);

// Runs `deliver`; an exception escaping it is shown. True when it ran to its end.
bool Guard(const std::function<void()>& deliver);

// Runs `deliver` and returns its answer; an exception escaping it is shown and `fallback`
// returned instead.
template <typename Deliver>
    requires std::same_as<std::invoke_result_t<Deliver&>, bool>
bool Guard(Deliver&& deliver, bool fallback = false)
{
    bool answer = fallback;
    Guard([&] { answer = std::invoke(deliver); });
    return answer;
}

}  // namespace ErrorBox

// A connected handler that lets no exception out: Qt's signal and event code is not written to
// be unwound through, so a failure ends the handler here, shows in the error box, and the
// sender (a menu, a button, a timer) goes on as after any handler. Every handler that can fail
// is connected through it:
//     connect(action, &QAction::triggered, commands, Guarded(commands, &DataCommands::Ouvrir1Click));
//     connect(timer, &QTimer::timeout, this, Guarded([this] { Tick(); }));
// Like a plain connection, the handler takes the signal's first arguments, as many as it can:
// the wrapper accepts only what the handler accepts, so Qt hands it no more. (A private
// signal's last argument, which a queued connection passes as a null pointer, is never taken.)
template <typename Handler>
auto Guarded(Handler handler)
{
    return [handler = std::move(handler)]<typename... Args>(Args&&... args) mutable
        requires std::is_invocable_v<Handler&, Args...>
    {
        ErrorBox::Guard([&] { std::invoke(handler, std::forward<Args>(args)...); });
    };
}

// The same for a member function of `object`.
template <typename Object, typename Method>
auto Guarded(Object* object, Method method)
{
    return Guarded([object, method](auto&&... args)
                       requires std::invocable<Method, Object*, decltype(args)...>
                   { std::invoke(method, object, std::forward<decltype(args)>(args)...); });
}
