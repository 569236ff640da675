#pragma once

#include <QString>

#include <stdexcept>

// An argument of the board driver outside what the board can do. Raised before any port is
// touched; what() is the French message, UTF-8.
class BoardRangeError : public std::range_error {
public:
    explicit BoardRangeError(const QString& message);
    QString Text() const { return QString::fromUtf8(what()); }
};
