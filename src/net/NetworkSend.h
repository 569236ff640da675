#pragma once

#include "net/NetworkAddresses.h"

#include <QString>

#include <functional>

class TMsgSender;

// Sending one text to the list of destination addresses, one after another.
namespace NetworkSend {

// Opens the report of failed addresses; it ends with two spaces.
QString ReportHeading();
// Follows each failed address in the report.
QString ReportSeparator();
// First line of a report when the text itself was too long to send.
QString TooLongLine();
// Follows an address whose peer answered without the acknowledgement (another program on the
// port, a copy of the program that turned the message away): the text may not have arrived.
QString NoAcknowledgementNote();

// Sends `text` with `sender` to the first `count` addresses (at most 8), skipping empty ones,
// and returns the report: empty when nothing failed, else the heading followed by each failed
// address and the separator, in address order. A reply that is not the acknowledgement is a
// failure too, listed with NoAcknowledgementNote after its address. `trying`, if given, hears of each address
// before it is tried.
QString SendToAddresses(TMsgSender& sender, const NetworkAddresses::List& addresses, const QString& text,
                        int count, const std::function<void(int n, const QString& address)>& trying = {});

}  // namespace NetworkSend
