#include "net/MsgWire.h"

namespace MsgWire {

QByteArray Acknowledgement()
{
    return QByteArray("OK") + QByteArray(kAcknowledgementBytes - 2, ' ');
}

QByteArray Field(const QByteArray& bytes)
{
    return QByteArray::number(bytes.size()).rightJustified(kLengthBytes, '0') + bytes;
}

std::optional<int> ParseLength(const QByteArray& field)
{
    if (field.size() != kLengthBytes)
        return std::nullopt;
    int position = 0;
    const bool negative = field[0] == '-';
    if (negative || field[0] == '+')
        position = 1;
    int value = 0;
    for (int i = position; i < kLengthBytes; ++i) {
        if (field[i] < '0' || field[i] > '9')
            return std::nullopt;
        value = value * 10 + (field[i] - '0');
    }
    return negative ? -value : value;
}

namespace {

// One field; nullopt when its length does not read or its bytes are cut short.
std::optional<QByteArray> ReadField(const std::function<QByteArray(int)>& readExact)
{
    const std::optional<int> length = ParseLength(readExact(kLengthBytes));
    if (!length)
        return std::nullopt;
    if (*length <= 0)
        return QByteArray();
    QByteArray bytes = readExact(*length);
    if (bytes.size() != *length)
        return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<Frame> ReadFrame(const std::function<QByteArray(int)>& readExact)
{
    std::optional<QByteArray> from = ReadField(readExact);
    if (!from)
        return std::nullopt;
    std::optional<QByteArray> message = ReadField(readExact);
    if (!message)
        return std::nullopt;
    return Frame{std::move(*from), std::move(*message)};
}

}  // namespace MsgWire
