#pragma once

#include <QString>

// The texts of the socket error numbers, as users see them after the number and ":".
namespace SocketErrorTable {

inline constexpr int kEntryCount = 51;

// The table text of `number`, or an empty text when the table has no entry for it.
// 0 has an entry that is never looked up.
QString Text(int number);

// "10061:Connection refused", or "N° d'erreur inconnu 10100"; empty for 0.
QString Format(int number);

}  // namespace SocketErrorTable
