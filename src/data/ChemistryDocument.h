#pragma once

#include "data/ChemistryFile.h"
#include "data/HeaderValues.h"

#include <QString>
#include <QStringList>

class MeasurementRecord;
class QIODevice;

// What files are made of besides the table: the held copy MeasurementText (all points of the
// last run or of the last file opened; a reduction of the table does not touch it), the header
// lines of the last file read, the header values and the numbered-save counter. Lives as long
// as the program; nothing of it is kept for the next start.
class ChemistryDocument {
public:
    ChemistryDocument();

    const QString& MeasurementText() const { return measurementText_; }
    // The points of MeasurementText, which is what files contain.
    int HeldPointCount() const;
    // MeasurementText := the measurement text of the current table (end of a run, end of an open).
    void TakeMeasurementText(const MeasurementRecord& record);

    const QStringList& HeaderLines() const { return headerLines_; }
    HeaderValues& Values() { return values_; }
    const HeaderValues& Values() const { return values_; }

    int SaveCounter() const { return saveCounter_; }

    // The 15 header lines, then MeasurementText.
    QString BuildFileText() const;

    // Writes the file text as folder/MesuresN.che with the next N whose file does not exist
    // yet, so files of an earlier start of the program are never replaced; the counter only
    // grows. Returns the path written. Throws FileError (the counter keeps its increment).
    QString SaveNumbered(const QString& folder, const QString& fileText);

    // Reads a chemistry file: its header becomes HeaderLines, lines 9 to 11 the three
    // titration values, line 13 the measured quantity. The comment (line 2) is for the caller to show; CurrentComment is not
    // changed. Throws FileError.
    ChemistryFile::Contents ReadChemistryFile(const QString& path);
    ChemistryFile::Contents ReadChemistryFile(QIODevice& device, const QString& name);
    // What ReadChemistryFile keeps of a file read elsewhere (on a worker).
    void TakeHeader(const ChemistryFile::Contents& contents);

private:

    QString measurementText_;
    QStringList headerLines_;
    HeaderValues values_;
    int saveCounter_ = 0;
};
