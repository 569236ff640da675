#pragma once

#include "data/HeaderValues.h"
#include "data/TitrationAnalysis.h"
#include "data/TitrationConcentration.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <vector>

// Every equivalence of a curve with the concentrations that follow from them, as the status bar,
// the clipboard and the lab report give them. A curve with one jump reads as it always did: the
// equivalence lines, then "Ca" from its volume.
namespace EquivalenceResults {

struct Results {
    std::vector<TitrationAnalysis::Equivalence> jumps;  // in volume order
    TitrationConcentration::Content content = TitrationConcentration::Content::OneSpecies;
    HeaderValues values;  // Cb and Va, as the comment dialog holds them
    std::vector<double> ca;  // mol/L: one per species, empty without Cb and Va or jumps enough

    std::vector<double> VolumesMl() const;
};

// `points` in (mL, pH); what the beaker holds decides which step gives which concentration.
Results Find(const QList<QPointF>& points, TitrationConcentration::Content content, const HeaderValues& values);

// "Équivalence : V = … ; Ca = …", or "Équivalence 1 : Ve = … — Équivalence 2 : … ; C1 = …";
// "Point d'équivalence introuvable" without any concentration part when there is no jump.
QString StatusText(const Results& results);
// Caption TAB value CR: each equivalence, then the concentrations. Empty without a jump.
QString ClipboardText(const Results& results);
// The lab report's result lines: each equivalence, then the concentrations.
QStringList ReportLines(const Results& results);

}  // namespace EquivalenceResults
