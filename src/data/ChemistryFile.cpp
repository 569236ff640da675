#include "data/ChemistryFile.h"

#include "data/FileError.h"
#include "data/MachineMemory.h"
#include "data/WholeFile.h"
#include "text/Windows1252.h"

#include <QFile>
#include <QIODevice>

namespace ChemistryFile {

namespace {

constexpr char kEndOfFile = 26;
constexpr QChar kCr = QLatin1Char('\r');
constexpr QChar kLf = QLatin1Char('\n');

// Line indices (0-based) carried over from the last file read.
constexpr int kCarriedLines[] = {5, 6, 7, 11};

// A CR inside a header value would shift every later line and push a point into the header; a
// byte 26 would end the file there.
QString HeaderLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line)
        if (c == kCr || c == kLf || c == QChar(char16_t(kEndOfFile)))
            c = QLatin1Char(' ');
    return line;
}

QByteArray ReadBytes(QIODevice& device, const QString& name)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        throw FileError::CannotOpen(name, device.errorString());
    if (!device.isSequential()) {
        if (device.size() > kMaxFileSize)
            throw FileError::TooLarge(name);
        CheckFitsInMemory(name, device.size(), MachineMemory::Total());
    }
    QByteArray bytes = device.readAll();
    if (bytes.size() > kMaxFileSize)
        throw FileError::TooLarge(name);
    return bytes;
}

}  // namespace

QString ProgramName()
{
    return QStringLiteral("Quorin");
}

QString Version()
{
    return QStringLiteral("7.0.0");
}

void CheckFitsInMemory(const QString& name, qint64 fileBytes, qint64 machineMemory)
{
    const qint64 needed = fileBytes * kMemoryPerFileByte;
    if (machineMemory > 0 && needed > machineMemory / 4)
        throw FileError::TooLargeForMemory(name, needed, machineMemory);
}

Contents Parse(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf(kEndOfFile);
    const QString text = Windows1252::Decode(end < 0 ? bytes : bytes.left(end));
    Contents contents;
    contents.headerLines.reserve(kHeaderLineCount);
    qsizetype position = 0;
    for (int line = 0; line < kHeaderLineCount; ++line) {
        if (position >= text.size()) {
            contents.headerLines.append(QString());
            continue;
        }
        qsizetype cr = text.indexOf(kCr, position);
        if (cr < 0)
            cr = text.size();
        contents.headerLines.append(text.mid(position, cr - position));
        position = cr + 1;
        if (position < text.size() && text[position] == kLf)
            ++position;
    }
    if (position < text.size())
        contents.body = text.mid(position);
    return contents;
}

Contents Read(QIODevice& device, const QString& name)
{
    return Parse(ReadBytes(device, name));
}

Contents Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::CannotOpen(path, file.errorString());
    const QByteArray bytes = ReadBytes(file, path);
    if (file.error() != QFileDevice::NoError)
        throw FileError::CannotOpen(path, file.errorString());
    return Parse(bytes);
}

QString BuildFileText(const QStringList& headerLines, const HeaderValues& values, const QString& measurementText)
{
    QStringList lines(kHeaderLineCount);
    for (const int index : kCarriedLines)
        lines[index] = HeaderLine(headerLines.value(index));
    lines[0] = ProgramName();
    lines[1] = HeaderLine(values.currentComment);
    lines[2] = QStringLiteral("Mesure");
    lines[3] = Version();
    lines[8] = HeaderLine(values.beakerConcentration);
    lines[9] = HeaderLine(values.buretteConcentration);
    lines[10] = HeaderLine(values.beakerVolume);
    lines[12] = MeasuredQuantities::HeaderLine(values.quantity);
    QString text;
    text.reserve(measurementText.size() + 128);
    for (const QString& line : lines) {
        text += line;
        text += kCr;
    }
    text += measurementText;
    return text;
}

QByteArray FileBytes(const QString& fileText)
{
    QByteArray bytes = Windows1252::Encode(fileText);
    bytes += "\r\n";
    return bytes;
}

void Write(const QString& path, const QString& fileText)
{
    WholeFile::Write(path, FileBytes(fileText));
}

}  // namespace ChemistryFile
