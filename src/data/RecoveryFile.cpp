#include "data/RecoveryFile.h"

#include "data/FileError.h"

#include <QFile>
#include <QList>

#include <algorithm>

namespace RecoveryFile {

namespace {

constexpr char kMagic[] = "QUORIN-REPRISE ";
// A recovery file holds a lesson's run, a few thousand lines; anything far larger is not one.
constexpr qint64 kMaxBytes = qint64(64) * 1024 * 1024;

QByteArray Sealed(const QByteArray& payload)
{
    return payload + '*' + QByteArray::number(qChecksum(payload), 16).rightJustified(4, '0') + '\n';
}

// The payload of a whole line whose sum is right.
bool Unseal(const QByteArray& line, QByteArray& payload)
{
    const qsizetype star = line.lastIndexOf('*');
    if (star < 0 || line.size() - star - 1 != 4)
        return false;
    bool ok = false;
    const uint sum = line.mid(star + 1).toUInt(&ok, 16);
    payload = line.left(star);
    return ok && sum == qChecksum(payload);
}

bool ToInt64(const QByteArray& text, std::int64_t& value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok;
}

}  // namespace

Unreadable::Unreadable(const QString& reason) : std::runtime_error(reason.toStdString()) {}

QByteArray Header(const QDateTime& started)
{
    return QByteArray(kMagic) + QByteArray::number(kVersion) + '\n'
        + Sealed("D " + QByteArray::number(started.toMSecsSinceEpoch()));
}

QByteArray SampleLine(int row, std::int64_t endMs, double pH)
{
    // 17 digits: the number read back is the very double, so the pH cell is the same text.
    return Sealed("E " + QByteArray::number(row) + ' ' + QByteArray::number(static_cast<qint64>(endMs)) + ' '
                  + QByteArray::number(pH, 'g', 17));
}

QByteArray PressLine(std::int64_t ms)
{
    return Sealed("V " + QByteArray::number(static_cast<qint64>(ms)));
}

QByteArray QuantityLine(MeasuredQuantity quantity)
{
    return Sealed("G " + QByteArray::number(static_cast<int>(quantity)));
}

QByteArray TypedLine(int number, std::int64_t ms, double volumeMl, double value)
{
    return Sealed("M " + QByteArray::number(number) + ' ' + QByteArray::number(static_cast<qint64>(ms)) + ' '
                  + QByteArray::number(volumeMl, 'g', 17) + ' ' + QByteArray::number(value, 'g', 17));
}

QByteArray TypedCountLine(int count)
{
    return Sealed("X " + QByteArray::number(count));
}

QDateTime Contents::LastSampleTime() const
{
    std::int64_t last = sampleEndsMs.empty() ? 0 : sampleEndsMs.back();
    for (const TypedPoint& point : typed)
        last = std::max(last, point.ms);
    return started.addMSecs(last);
}

Contents Parse(const QByteArray& bytes)
{
    Contents contents;
    const QByteArray expected = QByteArray(kMagic) + QByteArray::number(kVersion);
    const qsizetype firstEnd = bytes.indexOf('\n');
    if (firstEnd < 0) {
        // Cut before its first line was whole: the run had recorded nothing yet.
        if (expected.startsWith(bytes))
            return contents;
        throw Unreadable(QStringLiteral("ce n'est pas un fichier de mesure interrompue"));
    }
    const QByteArray first = bytes.left(firstEnd);
    if (first != expected) {
        if (first.startsWith(kMagic))
            throw Unreadable(QStringLiteral("version %1 inconnue").arg(QString::fromLatin1(first.mid(15))));
        throw Unreadable(QStringLiteral("ce n'est pas un fichier de mesure interrompue"));
    }

    qsizetype at = firstEnd + 1;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0) {
            contents.damaged = true;  // the last line, cut
            break;
        }
        QByteArray payload;
        const bool whole = Unseal(bytes.mid(at, end - at), payload);
        at = end + 1;
        const QList<QByteArray> fields = payload.split(' ');
        std::int64_t a = 0;
        std::int64_t b = 0;
        bool ok = whole && !fields.isEmpty();
        if (ok && !contents.started.isValid()) {
            ok = fields.size() == 2 && fields[0] == "D" && ToInt64(fields[1], a);
            if (ok)
                contents.started = QDateTime::fromMSecsSinceEpoch(a);
        } else if (ok && fields[0] == "E") {
            double pH = 0;
            ok = fields.size() == 4 && ToInt64(fields[1], a) && a == contents.SampleCount() + 1 && ToInt64(fields[2], b)
                && (contents.sampleEndsMs.empty() || b >= contents.sampleEndsMs.back());
            if (ok)
                pH = fields[3].toDouble(&ok);
            if (ok) {
                contents.sampleEndsMs.push_back(b);
                contents.pH.push_back(pH);
            }
        } else if (ok && fields[0] == "V") {
            ok = fields.size() == 2 && ToInt64(fields[1], a);
            if (ok)
                contents.pressesMs.push_back(a);
        } else if (ok && fields[0] == "G") {
            ok = fields.size() == 2 && ToInt64(fields[1], a) && a >= 0
                && a <= static_cast<int>(MeasuredQuantity::ConductivityMicroSiemens);
            if (ok)
                contents.quantity = static_cast<MeasuredQuantity>(a);
        } else if (ok && fields[0] == "M") {
            TypedPoint point;
            bool volumeOk = false;
            ok = fields.size() == 5 && ToInt64(fields[1], a) && a >= 1
                && a <= static_cast<std::int64_t>(contents.typed.size()) + 1 && ToInt64(fields[2], point.ms);
            if (ok) {
                point.volumeMl = fields[3].toDouble(&volumeOk);
                point.value = fields[4].toDouble(&ok);
                ok = ok && volumeOk;
            }
            if (ok && a <= static_cast<std::int64_t>(contents.typed.size()))
                contents.typed[static_cast<std::size_t>(a - 1)] = point;
            else if (ok)
                contents.typed.push_back(point);
        } else if (ok && fields[0] == "X") {
            ok = fields.size() == 2 && ToInt64(fields[1], a) && a >= 0
                && a <= static_cast<std::int64_t>(contents.typed.size());
            if (ok)
                contents.typed.resize(static_cast<std::size_t>(a));
        } else {
            ok = false;
        }
        if (!ok) {
            contents.damaged = true;
            break;
        }
    }
    return contents;
}

Contents Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::CannotOpen(path, file.errorString());
    if (file.size() > kMaxBytes)
        throw Unreadable(QStringLiteral("fichier trop volumineux"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError::CannotOpen(path, file.errorString());
    return Parse(bytes);
}

}  // namespace RecoveryFile
