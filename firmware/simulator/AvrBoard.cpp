#include "AvrBoard.h"

#include <QFileInfo>

namespace {
constexpr int kAnswerMs = 5000;
}

AvrBoard::AvrBoard()
{
    if (!QFileInfo::exists(FirmwareHex())) {
        error_ = QStringLiteral("micrologiciel absent : %1").arg(FirmwareHex());
        return;
    }
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The simulator's library keeps a few bytes of the image it read until the end: not ours.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process_.setProcessEnvironment(environment);
    process_.start(QStringLiteral(QUORIN_AVR_HARNESS), {FirmwareHex()});
    if (!process_.waitForStarted(kAnswerMs)) {
        error_ = process_.errorString();
        return;
    }
    while (!process_.canReadLine() && process_.waitForReadyRead(kAnswerMs)) {
    }
    const QByteArray line = process_.readLine().trimmed();
    if (!line.startsWith("PTY ")) {
        error_ = QStringLiteral("le simulateur n'a pas ouvert de pseudo-terminal (%1)").arg(QString::fromUtf8(line));
        return;
    }
    portName_ = QString::fromUtf8(line.mid(4));
}

AvrBoard::~AvrBoard()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(kAnswerMs)) {
        process_.kill();
        process_.waitForFinished(kAnswerMs);
    }
}

QString AvrBoard::FirmwareHex()
{
    return QStringLiteral(QUORIN_FIRMWARE_HEX);
}

bool AvrBoard::Command(const QByteArray& command, QByteArray* before)
{
    if (process_.state() != QProcess::Running)
        return false;
    process_.write(command + '\n');
    process_.waitForBytesWritten(kAnswerMs);
    for (;;) {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(kAnswerMs))
                return false;
        const QByteArray line = process_.readLine().trimmed();
        if (line == "OK")
            return true;
        if (line.startsWith("ERREUR"))
            return false;
        if (before)
            *before += line + '\n';
    }
}

bool AvrBoard::SetMillivolts(int channel, double millivolts)
{
    return Command("V " + QByteArray::number(channel) + ' ' + QByteArray::number(millivolts, 'f', 3));
}

bool AvrBoard::SetNoise(double peakMillivolts)
{
    return Command("NOISE " + QByteArray::number(peakMillivolts, 'f', 3));
}

bool AvrBoard::Spoil(const QByteArray& fault)
{
    return Command(fault);
}

bool AvrBoard::Unplug()
{
    const bool done = Command("CLOSE");
    process_.waitForFinished(kAnswerMs);
    return done;
}

std::optional<std::pair<std::int64_t, std::int64_t>> AvrBoard::Times()
{
    QByteArray lines;
    if (!Command("STAT", &lines))
        return std::nullopt;
    const QList<QByteArray> fields = lines.trimmed().split(' ');
    if (fields.size() != 3 || fields[0] != "STAT")
        return std::nullopt;
    return std::make_pair(fields[1].toLongLong(), fields[2].toLongLong());
}
