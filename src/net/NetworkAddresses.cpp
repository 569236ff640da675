#include "net/NetworkAddresses.h"

#include <QSettings>

namespace NetworkAddresses {

QString ValueName(int n)
{
    return QStringLiteral("Adresse réseau ") + QString::number(n);
}

List Defaults()
{
    List addresses;
    for (int n = 1; n <= kCount; ++n)
        addresses[n - 1] = QStringLiteral("101.101.101.") + QString::number(n);
    return addresses;
}

std::optional<List> Load()
{
    const QSettings settings;
    if (!settings.contains(ValueName(1)))
        return std::nullopt;
    List addresses;
    for (int n = 1; n <= kCount; ++n) {
        const QVariant value = settings.value(ValueName(n));
        addresses[n - 1] = value.typeId() == QMetaType::QString ? value.toString() : QString();
    }
    return addresses;
}

void Save(const List& addresses)
{
    QSettings settings;
    for (int n = 1; n <= kCount; ++n)
        settings.setValue(ValueName(n), addresses[n - 1]);
}

}  // namespace NetworkAddresses
