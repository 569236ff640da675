#pragma once

#include <QString>

#include <exception>
#include <functional>

// The application's one error box: a failure that the user must see (a file that cannot be
// written, a number that does not read) ends the operation, shows its French text, and leaves
// the program running.
namespace ErrorBox {

// Shows the text; by default a modal critical message box over the active window.
void Show(const QString& text);

// Replaces how texts are shown (tests record them instead); an empty function restores the box.
void SetPresenter(std::function<void(const QString&)> presenter);

// Runs `deliver`; an exception escaping it is shown and `fallback` returned instead.
bool Guard(const std::function<bool()>& deliver, bool fallback = false);

// The French text of an exception (what() is UTF-8 throughout the program).
QString TextOf(const std::exception& error);

}  // namespace ErrorBox
