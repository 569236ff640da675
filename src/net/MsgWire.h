#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The message protocol on the wire, shared by the sender and the server. One exchange: the
// sender name and the message, each behind its length as four ASCII digits ("%.4d"), then the
// 16-byte acknowledgement from the server. Lengths count bytes of Windows-1252 text.
namespace MsgWire {

// The port every copy of the program listens on and sends to.
inline constexpr std::uint16_t kPort = 6711;
inline constexpr int kMaxFieldBytes = 9999;
inline constexpr int kLengthBytes = 4;
inline constexpr int kAcknowledgementBytes = 16;
// "OK" followed by 14 spaces.
QByteArray Acknowledgement();

// The length in four digits followed by the bytes; `bytes` holds at most kMaxFieldBytes.
QByteArray Field(const QByteArray& bytes);

// A length field: an optional sign and decimal digits filling the four bytes. Anything else
// (including fewer than four bytes) is not a length.
std::optional<int> ParseLength(const QByteArray& field);

struct Frame {
    QByteArray from;
    QByteArray message;
};

// Reads one frame through `readExact`, which returns the count asked for, or fewer bytes when
// the peer has closed. A length that does not read, or a field cut short, gives no frame. A
// length of zero or less is an empty field.
std::optional<Frame> ReadFrame(const std::function<QByteArray(int count)>& readExact);

}  // namespace MsgWire
