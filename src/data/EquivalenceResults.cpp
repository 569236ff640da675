#include "data/EquivalenceResults.h"

#include "data/TitrationJumps.h"

namespace EquivalenceResults {

std::vector<double> Results::VolumesMl() const
{
    std::vector<double> ve;
    ve.reserve(jumps.size());
    for (const TitrationAnalysis::Equivalence& jump : jumps)
        ve.push_back(jump.volumeMl);
    return ve;
}

Results Find(const QList<QPointF>& points, TitrationConcentration::Content content, const HeaderValues& values)
{
    Results results;
    results.jumps = TitrationJumps::FindAll(points);
    results.content = content;
    results.values = values;
    results.ca = TitrationConcentration::BeakerConcentrations(results.VolumesMl(), content, values);
    return results;
}

QString StatusText(const Results& results)
{
    QString text = TitrationJumps::ResultText(results.jumps);
    if (!results.jumps.empty())
        text += TitrationConcentration::StatusSuffix(results.VolumesMl(), results.content, results.values);
    return text;
}

QString ClipboardText(const Results& results)
{
    if (results.jumps.empty())
        return {};
    return TitrationJumps::ClipboardResults(results.jumps) + TitrationConcentration::ClipboardLines(results.ca);
}

QStringList ReportLines(const Results& results)
{
    return TitrationJumps::ReportLines(results.jumps) + TitrationConcentration::ReportLines(results.ca);
}

}  // namespace EquivalenceResults
