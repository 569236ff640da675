#pragma once

#include <QString>

#include <array>
#include <optional>

// The eight destination addresses of the network send, kept in the program's settings (the
// application's names, which the program sets at start) as "Adresse réseau 1" to "Adresse
// réseau 8".
namespace NetworkAddresses {

inline constexpr int kCount = 8;
using List = std::array<QString, kCount>;

// "Adresse réseau " followed by n, for n from 1 to 8.
QString ValueName(int n);
// "101.101.101.1" to "101.101.101.8".
List Defaults();
// The kept addresses, or nothing when "Adresse réseau 1" is absent. A missing value, or one
// that is not text, reads as an empty address.
std::optional<List> Load();
void Save(const List& addresses);

}  // namespace NetworkAddresses
