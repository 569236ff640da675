#include "data/ClassTable.h"

#include "data/ChemistryFile.h"
#include "data/FileError.h"
#include "data/HeaderValues.h"
#include "data/NumberText.h"

#include <QDir>
#include <QFile>

namespace ClassTable {

namespace {

constexpr QChar kTab = QLatin1Char('\t');
constexpr QChar kCr = QLatin1Char('\r');
// Between the values of a curve's several equivalences in one cell.
constexpr QLatin1String kSeparator(" ; ");
// Names tried before giving up on a folder where every one is taken.
constexpr int kMaxNameAttempts = 1000;

QString TwoDecimals(double value)
{
    return NumberText::Fixed(value, 15, 2);
}

// Characters that no file system takes in a name (an IPv6 address has ':').
QString FileNamePart(QString text)
{
    for (QChar& c : text)
        if (c == QLatin1Char(':') || c == QLatin1Char('/') || c == QLatin1Char('\\') || c < QLatin1Char(' '))
            c = QLatin1Char('-');
    return text;
}

}  // namespace

QString UnreadableText()
{
    return QStringLiteral("illisible");
}

QString NotFoundText()
{
    return QStringLiteral("introuvable");
}

QStringList Headers()
{
    return {QStringLiteral("Heure"), QStringLiteral("Adresse"), QStringLiteral("Points"), QStringLiteral("Ve (mL)"),
            QStringLiteral("pH à Ve/2")};
}

QStringList Cells(const Entry& entry)
{
    QStringList cells{entry.arrival.toString(QStringLiteral("HH:mm:ss")), entry.peerAddress};
    if (!entry.readable)
        return cells << UnreadableText() << QString() << QString();
    cells << QString::number(entry.points.size());
    if (MeasuredQuantities::IsConductivity(entry.quantity)) {
        // No pH in a conductivity curve: its quantity stands where the pH would, and whether its
        // lines were drawn without the dilution's correction (which bends them when the
        // beaker's volume is small), until the class's Va is given.
        QString quantity = MeasuredQuantities::HeaderLine(entry.quantity);
        if (entry.conductimetric && !entry.conductimetric->dilutionCorrected)
            quantity += QStringLiteral(", Va inconnu");
        return cells << (entry.conductimetric ? TwoDecimals(entry.conductimetric->volumeMl) : NotFoundText())
                     << quantity;
    }
    if (entry.jumps.empty())
        return cells << NotFoundText() << NotFoundText();
    // Every equivalence in volume order, each pH taken half way from the one before.
    QStringList volumes;
    QStringList halfPH;
    for (const TitrationAnalysis::Equivalence& jump : entry.jumps) {
        volumes << TwoDecimals(jump.volumeMl);
        halfPH << (jump.halfVolumePH ? TwoDecimals(*jump.halfVolumePH) : NotFoundText());
    }
    return cells << volumes.join(kSeparator) << halfPH.join(kSeparator);
}

QString ClipboardText(const QList<Entry>& entries)
{
    QString text = Headers().join(kTab) + kCr;
    for (const Entry& entry : entries)
        text += Cells(entry).join(kTab) + kCr;
    return text;
}

QString CurveName(const Entry& entry)
{
    return entry.peerAddress + QLatin1Char(' ') + entry.arrival.toString(QStringLiteral("HH:mm:ss"));
}

QString FileText(const Entry& entry)
{
    HeaderValues values;
    // The text carries no quantities: none are made up.
    values.beakerConcentration.clear();
    values.buretteConcentration.clear();
    values.beakerVolume.clear();
    values.quantity = entry.quantity;
    values.currentComment = QStringLiteral("Reçu de %1 le %2")
                                .arg(entry.peerAddress, entry.arrival.toString(QStringLiteral("dd/MM/yyyy à HH:mm:ss")));
    return ChemistryFile::BuildFileText(QStringList(ChemistryFile::kHeaderLineCount), values, entry.measurementText);
}

QString Save(const Entry& entry, const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw FileError::CannotCreateFolder(folder);
    const QString base = FileNamePart(entry.peerAddress) + QLatin1Char(' ')
        + entry.arrival.toString(QStringLiteral("yyyy-MM-dd HH'h'mm'm'ss"));
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QString name = attempt == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(attempt);
        const QString path = QDir(folder).filePath(name + QStringLiteral(".che"));
        // Taking the name first: a file that appears meanwhile is not replaced.
        QFile reserve(path);
        if (!reserve.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFile::exists(path))
                continue;
            throw FileError::CannotWrite(path, reserve.errorString());
        }
        reserve.close();
        try {
            ChemistryFile::Write(path, FileText(entry));
        } catch (const FileError&) {
            QFile::remove(path);
            throw;
        }
        return path;
    }
    throw FileError::CannotWrite(QDir(folder).filePath(base + QStringLiteral(".che")),
                                 QStringLiteral("plus aucun nom de fichier libre"));
}

}  // namespace ClassTable
