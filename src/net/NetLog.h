#pragma once

#include <QLoggingCategory>
#include <QString>

// The journal's category for this library ("quorin.net"): sends, receptions and the failures
// the transport drops on purpose.
Q_DECLARE_LOGGING_CATEGORY(lcNet)

// Inside a catch block: the text of the exception being handled, for the journal.
QString CaughtText();
