#pragma once

#include <QList>
#include <QPointF>
#include <QString>

// A curve read from a measurement text for comparison only: the points of a chemistry file laid
// over the record, or of a text received from a student. Nothing here touches the record or the
// header values of the file last opened.
namespace ReferenceCurve {

struct TextPoints {
    QList<QPointF> points;  // (mL, pH), in the text's order
    // The reading stopped at a field that is not a number rather than at the end of the data.
    bool unreadable = false;
    // How much of the text the points were read from: every whole pair and its separators.
    qsizetype dataLength = 0;
};

// The pairs of a measurement text, read as an open reads them: pH, then volume in litres; a pH
// without its volume is not a point.
TextPoints ReadPoints(const QString& text);

struct Curve {
    QString name;           // the file's comment, or its file name when the comment is blank
    QList<QPointF> points;  // (mL, pH), sorted by volume
};

// Reads a chemistry file. Throws FileError with the system's reason, or when the file holds no
// point at all.
Curve Read(const QString& path);

}  // namespace ReferenceCurve
