#include "data/ReferenceCurve.h"

#include "data/ChemistryFile.h"
#include "data/FileError.h"
#include "data/MeasurementTextIo.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace ReferenceCurve {

TextPoints ReadPoints(const QString& text)
{
    using MeasurementTextIo::NumberRead;
    TextPoints read;
    qsizetype position = 0;
    for (;;) {
        double pH = 0;
        double litres = 0;
        NumberRead got = MeasurementTextIo::ReadNextNumber(text, position, pH);
        if (got == NumberRead::Number)
            got = MeasurementTextIo::ReadNextNumber(text, position, litres);
        if (got != NumberRead::Number) {
            read.unreadable = got == NumberRead::Unreadable;
            return read;
        }
        // A volume past the range of doubles once in millilitres is no volume.
        if (!std::isfinite(litres * 1000.0)) {
            read.unreadable = true;
            return read;
        }
        read.points.append(QPointF(litres * 1000.0, pH));
        read.dataLength = position;
    }
}

Curve Read(const QString& path)
{
    const ChemistryFile::Contents contents = ChemistryFile::Read(path);
    Curve curve;
    curve.points = ReadPoints(contents.body).points;
    if (curve.points.isEmpty())
        throw FileError(QStringLiteral("Le fichier « %1 » ne contient aucun point de mesure lisible")
                            .arg(QDir::toNativeSeparators(path)));
    const auto byVolume = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
    if (!std::is_sorted(curve.points.begin(), curve.points.end(), byVolume))
        std::stable_sort(curve.points.begin(), curve.points.end(), byVolume);
    curve.name = contents.headerLines.value(1).trimmed();
    if (curve.name.isEmpty())
        curve.name = QFileInfo(path).fileName();
    return curve;
}

}  // namespace ReferenceCurve
