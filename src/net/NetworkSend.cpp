#include "net/NetworkSend.h"

#include "net/MsgWire.h"
#include "net/NetLog.h"
#include "net/TMsgSender.h"
#include "text/ExceptionText.h"
#include "text/Windows1252.h"

#include <algorithm>
#include <exception>

namespace NetworkSend {

QString ReportHeading()
{
    return QStringLiteral("Erreur de transmission (aux) à l'adresse(s) :  ");
}

QString ReportSeparator()
{
    return QStringLiteral("  |  ");
}

QString TooLongLine()
{
    return QStringLiteral("Message trop long (plus de 9999 octets) : diminuez le nombre de points.");
}

QString NoAcknowledgementNote()
{
    return QStringLiteral(" (pas d'accusé de réception)");
}

QString SendToAddresses(TMsgSender& sender, const NetworkAddresses::List& addresses, const QString& text,
                        int count, const std::function<void(int, const QString&)>& trying)
{
    sender.Abort();
    QString report;
    const qsizetype bytes = Windows1252::Encode(text).size();
    count = std::min(count, NetworkAddresses::kCount);
    for (int n = 1; n <= count; ++n) {
        const QString& address = addresses[n - 1];
        if (address.isEmpty())
            continue;
        if (trying)
            trying(n, address);
        sender.SetHost(address);
        sender.SetFromName(QString());
        try {
            const QByteArray reply = Windows1252::Encode(sender.SendText(text));
            if (reply == MsgWire::Acknowledgement()) {
                qCInfo(lcNet).noquote() << QStringLiteral("Envoi à %1 : réussi (%2 octets)").arg(address).arg(bytes);
            } else {
                // The exchange raised nothing, but nobody said the text arrived.
                qCWarning(lcNet).noquote() << QStringLiteral("Envoi à %1 : échec, pas d'accusé de réception (réponse de %2 "
                                                             "octets au lieu de %3)")
                                                  .arg(address)
                                                  .arg(reply.size())
                                                  .arg(MsgWire::kAcknowledgementBytes);
                if (report.isEmpty())
                    report = ReportHeading();
                report += sender.Host() + NoAcknowledgementNote() + ReportSeparator();
            }
        } catch (const std::exception& error) {
            qCWarning(lcNet).noquote()
                << QStringLiteral("Envoi à %1 : échec (%2)").arg(address, ExceptionText(error));
            // Each failure only lists its address; the next address is tried all the same.
            if (report.isEmpty())
                report = ReportHeading();
            report += sender.Host() + ReportSeparator();
            sender.Abort();
        }
    }
    return report;
}

}  // namespace NetworkSend
