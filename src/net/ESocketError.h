#pragma once

#include <QString>

#include <stdexcept>

// Every failure of the socket link: French texts of its own, or a socket error text made of
// the error number, ":" and the table text. what() is the text, UTF-8.
class ESocketError : public std::runtime_error {
public:
    explicit ESocketError(const QString& text);
    QString Text() const { return QString::fromUtf8(what()); }
};
