#pragma once

#include "data/UncertaintyResults.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAreaSeries;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QValueAxis;

// "Incertitudes": the tolerances of the burette, of its reading and of the pipette, the
// uncertainty of Cb's label and the reference Ca as typed, and, for the way of finding Ve
// chosen, u(Ve) by its parts, u(Ca) by propagation and by Monte-Carlo with the histogram of the
// drawn Ca (its mean and mean ± standard deviation marked), and the gap to the reference. The
// results follow each valid change of a typed value; "OK" refuses a value it cannot read and
// says why.
class UncertaintyDialog : public QDialog {
    Q_OBJECT

public:
    // Works out the entries of every method for typed settings.
    using Evaluator = std::function<std::vector<UncertaintyResults::Entry>(const UncertaintyResults::Settings&)>;

    explicit UncertaintyDialog(QWidget* parent = nullptr);

    // Fills the fields from `settings` and shows the results `evaluate` gives for them.
    void Open(const UncertaintyResults::Settings& settings, Evaluator evaluate);
    // The typed settings, or empty with the first refusal shown and its field focused.
    std::optional<UncertaintyResults::Settings> Typed();

    QLineEdit* BuretteEdit() const { return burette_; }
    QLineEdit* ReadingEdit() const { return reading_; }
    QLineEdit* PipetteEdit() const { return pipette_; }
    QLineEdit* CbEdit() const { return cb_; }
    QLineEdit* ReferenceEdit() const { return reference_; }
    QComboBox* MethodBox() const { return method_; }
    QString DetailText() const;
    QString RefusalText() const;
    // The histogram's step outline, one pair of points per bin; empty without a Monte-Carlo.
    QLineSeries* HistogramOutline() const { return outline_; }
    QLineSeries* MeanLine() const { return meanLine_; }

public slots:
    void accept() override;

private:
    void Recompute();
    void ShowEntry();
    void DrawHistogram(const UncertaintyResults::Entry* entry);
    // The settings as typed, each refusal with the field it belongs to.
    std::optional<UncertaintyResults::Settings> Read(QString& refusal, QLineEdit*& field) const;

    QLineEdit* burette_;
    QLineEdit* reading_;
    QLineEdit* pipette_;
    QLineEdit* cb_;
    QLineEdit* reference_;
    QComboBox* method_;
    QLabel* methodCaption_;
    QLabel* detail_;
    QLabel* refusal_;
    QChartView* view_;
    QLineSeries* outline_;
    QLineSeries* baseline_;
    QAreaSeries* area_;
    QLineSeries* meanLine_;
    QLineSeries* spreadLine_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
    Evaluator evaluate_;
    std::vector<UncertaintyResults::Entry> entries_;
};
