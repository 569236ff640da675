#pragma once

#include <QString>

#include <stdexcept>

// A text that does not read as a number. what() is the French message, UTF-8, as the
// application's error box shows it.
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const QString& text);
    QString Text() const { return QString::fromUtf8(what()); }
};
