#include "board/UsbProtocol.h"

#include <QList>

namespace UsbProtocol {

namespace {

QByteArray Framed(const QByteArray& fields)
{
    return fields + '*' + QByteArray::number(Crc16(fields), 16).toUpper().rightJustified(4, '0') + '\n';
}

bool IsDecimal(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// "1234.56": the firmware writes millivolts with exactly two decimals.
std::optional<double> Millivolts(QByteArrayView text)
{
    const qsizetype point = text.indexOf('.');
    if (point < 1 || point > 4 || text.size() != point + 3 || !IsDecimal(text.first(point))
        || !IsDecimal(text.sliced(point + 1)))
        return std::nullopt;
    const double value = text.toByteArray().toDouble();
    if (value > kReferenceMv)
        return std::nullopt;
    return value;
}

QString ReasonText(const QByteArray& reason)
{
    if (reason == "CHECKSUM")
        return QStringLiteral("elle a reçu une demande altérée");
    if (reason == "WINDOW")
        return QStringLiteral("durée de mesure hors de ses limites");
    if (reason == "COMMAND")
        return QStringLiteral("demande inconnue");
    if (reason == "LENGTH" || reason == "SYNTAX")
        return QStringLiteral("demande mal formée");
    return QStringLiteral("motif inconnu");
}

// The checks every answer passes: readable text, the checksum, the echoed sequence number and
// no refusal. Returns the fields after the sequence number, or nothing and the reason.
std::optional<QList<QByteArray>> AnswerFields(QByteArrayView line, std::uint16_t sequence, const char* verb,
                                              QString& error)
{
    for (char c : line)
        if (c < 0x20 || c > 0x7E) {
            error = QStringLiteral("réponse illisible (caractères de contrôle)");
            return std::nullopt;
        }
    const qsizetype star = line.size() - 5;
    if (star < 1 || line[star] != '*') {
        error = QStringLiteral("réponse mal formée");
        return std::nullopt;
    }
    bool hexOk = false;
    const QByteArrayView crcText = line.sliced(star + 1);
    const uint crc = crcText.toByteArray().toUInt(&hexOk, 16);
    if (!hexOk || crcText.toByteArray().toUpper() != crcText.toByteArray()) {
        error = QStringLiteral("réponse mal formée");
        return std::nullopt;
    }
    const QByteArrayView fieldsText = line.first(star);
    if (crc != Crc16(fieldsText)) {
        error = QStringLiteral("réponse altérée (somme de contrôle fausse)");
        return std::nullopt;
    }
    QList<QByteArray> fields = fieldsText.toByteArray().split(' ');
    if (fields.size() < 2 || !IsDecimal(fields[0])) {
        error = QStringLiteral("réponse mal formée");
        return std::nullopt;
    }
    const uint answered = fields[0].toUInt();
    if (answered == 0 && fields[1] == "ERR") {
        error = QStringLiteral("l'interface n'a pas pu lire la demande (%1)")
                    .arg(ReasonText(fields.size() > 2 ? fields[2] : QByteArray()));
        return std::nullopt;
    }
    if (answered != sequence) {
        error = QStringLiteral("réponse hors séquence (n° %1 au lieu du n° %2)").arg(answered).arg(sequence);
        return std::nullopt;
    }
    if (fields[1] == "ERR") {
        error = QStringLiteral("demande refusée par l'interface : %1")
                    .arg(ReasonText(fields.size() > 2 ? fields[2] : QByteArray()));
        return std::nullopt;
    }
    if (fields[1] != verb) {
        error = QStringLiteral("réponse inattendue (%1)").arg(QString::fromLatin1(fields[1]));
        return std::nullopt;
    }
    fields.remove(0, 2);
    return fields;
}

}  // namespace

std::uint16_t Crc16(QByteArrayView bytes)
{
    // CRC-16/XMODEM: polynomial 0x1021, initial value 0, as avr-libc's _crc_xmodem_update.
    std::uint16_t crc = 0;
    for (char c : bytes) {
        crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) != 0 ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                                      : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

std::uint16_t NextSequence(std::uint16_t sequence)
{
    return sequence == 0xFFFF ? 1 : static_cast<std::uint16_t>(sequence + 1);
}

QByteArray IdentifyRequest(std::uint16_t sequence)
{
    return Framed(QByteArray::number(sequence) + " ID");
}

QByteArray MeasureRequest(std::uint16_t sequence, int windowMs)
{
    return Framed(QByteArray::number(sequence) + " MES " + QByteArray::number(windowMs));
}

QString CheckIdentity(QByteArrayView line, std::uint16_t sequence)
{
    QString error;
    const auto fields = AnswerFields(line, sequence, "ID", error);
    if (!fields)
        return error;
    if (fields->size() != 2 || !IsDecimal(fields->at(1)))
        return QStringLiteral("identification mal formée");
    if (fields->at(0) != kName)
        return QStringLiteral("c'est « %1 », pas une interface Quorin").arg(QString::fromLatin1(fields->at(0)));
    const uint version = fields->at(1).toUInt();
    if (version != kVersion)
        return QStringLiteral("micrologiciel de version %1, Quorin parle la version %2 : reprogrammez la carte avec "
                              "le micrologiciel livré avec Quorin")
            .arg(version)
            .arg(kVersion);
    return QString();
}

std::optional<Measurement> ParseMeasurement(QByteArrayView line, std::uint16_t sequence, QString& error)
{
    const auto fields = AnswerFields(line, sequence, "MES", error);
    if (!fields)
        return std::nullopt;
    if (fields->size() != 3) {
        error = QStringLiteral("mesure mal formée");
        return std::nullopt;
    }
    const auto mv1 = Millivolts(fields->at(0));
    const auto mv2 = Millivolts(fields->at(1));
    const int samples = IsDecimal(fields->at(2)) ? fields->at(2).toInt() : 0;
    if (!mv1 || !mv2 || samples < 1 || samples > kMaxWindowMs) {
        error = QStringLiteral("mesure mal formée");
        return std::nullopt;
    }
    return Measurement{*mv1, *mv2, samples};
}

AnswerReader::State AnswerReader::Take(QByteArrayView bytes, std::int64_t nowMs)
{
    if (state_ != State::Waiting)
        return state_;
    for (char c : bytes) {
        if (c == '\n') {
            state_ = State::Complete;
            break;
        }
        if (c == '\r')
            continue;
        if (line_.size() >= kMaxLineLength) {
            state_ = State::Overlong;
            return state_;
        }
        line_.append(c);
    }
    // What completes after the deadline is as good as lost: the reading it answers is over.
    if (nowMs > deadlineMs_)
        state_ = State::Late;
    return state_;
}

QString AnswerReader::FailureText() const
{
    switch (state_) {
    case State::Late:
        return line_.isEmpty() ? QStringLiteral("pas de réponse dans le temps imparti")
                               : QStringLiteral("réponse incomplète ou en retard");
    case State::Overlong:
        return QStringLiteral("réponse trop longue");
    case State::Waiting:
    case State::Complete:
        break;
    }
    return QString();
}

}  // namespace UsbProtocol
