#include "data/ChemistryDocument.h"

#include "data/FileError.h"
#include "data/MeasurementTextIo.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

ChemistryDocument::ChemistryDocument()
    : headerLines_(ChemistryFile::kHeaderLineCount)
{
}

void ChemistryDocument::TakeMeasurementText(const MeasurementRecord& record)
{
    measurementText_ = MeasurementTextIo::BuildMeasurementText(record);
}

int ChemistryDocument::HeldPointCount() const
{
    // One TAB per point, between its pH and its volume.
    return static_cast<int>(measurementText_.count(QLatin1Char('\t')));
}

QString ChemistryDocument::BuildFileText() const
{
    return ChemistryFile::BuildFileText(headerLines_, values_, measurementText_);
}

QString ChemistryDocument::SaveNumbered(const QString& folder, const QString& fileText)
{
    // The file that could not be saved is named, with why: its folder cannot be made.
    if (!QDir().mkpath(folder))
        throw FileError::CannotWrite(QDir(folder).filePath(QStringLiteral("Mesures%1.che").arg(saveCounter_ + 1)),
                                     QStringLiteral("impossible de créer le dossier « %1 »")
                                         .arg(QDir::toNativeSeparators(folder)));
    QString path;
    do {
        if (saveCounter_ == std::numeric_limits<int>::max())
            throw FileError::CannotWrite(QDir(folder).filePath(QStringLiteral("Mesures")),
                                         QStringLiteral("plus aucun numéro de fichier libre"));
        ++saveCounter_;
        path = QDir(folder).filePath(QStringLiteral("Mesures%1.che").arg(saveCounter_));
    } while (QFileInfo::exists(path));
    ChemistryFile::Write(path, fileText);
    return path;
}

ChemistryFile::Contents ChemistryDocument::ReadChemistryFile(const QString& path)
{
    ChemistryFile::Contents contents = ChemistryFile::Read(path);
    TakeHeader(contents);
    return contents;
}

ChemistryFile::Contents ChemistryDocument::ReadChemistryFile(QIODevice& device, const QString& name)
{
    ChemistryFile::Contents contents = ChemistryFile::Read(device, name);
    TakeHeader(contents);
    return contents;
}

void ChemistryDocument::TakeHeader(const ChemistryFile::Contents& contents)
{
    headerLines_ = contents.headerLines;
    values_.beakerConcentration = headerLines_.value(8);
    values_.buretteConcentration = headerLines_.value(9);
    values_.beakerVolume = headerLines_.value(10);
    values_.quantity = MeasuredQuantities::FromHeaderLine(headerLines_.value(12));
    values_.quantitiesConfirmed = true;
}
