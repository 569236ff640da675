#pragma once

#include "data/ClassStatistics.h"
#include "data/HistogramPicture.h"

#include <QWidget>

#include <optional>

class HistogramView;
class QLabel;
class QLineEdit;

// The class's statistics beside the station's curves: Cb and Va for the whole class (typed
// here since the curves travel without them, and remembered for the next start), the summary
// and the histogram of the values kept.
class ClassPanel : public QWidget {
    Q_OBJECT

public:
    explicit ClassPanel(QWidget* parent = nullptr);

    QLineEdit* CbEdit() const { return cb_; }
    QLineEdit* VaEdit() const { return va_; }
    QLabel* SummaryLabel() const { return summary_; }
    // Why a typed quantity is not taken; empty when both are.
    QLabel* FieldMessage() const { return fieldMessage_; }
    HistogramView* Histogram() const { return histogram_; }

    // Cb and Va, when both read as positive numbers.
    std::optional<ClassStatistics::ClassQuantities> Quantities() const;
    // Va alone (the conductivity curves' dilution needs no Cb).
    std::optional<double> BeakerVolumeMl() const { return vaMl_; }

    void Show(const ClassStatistics::Statistics& statistics);
    // What the histogram shows, for the class report.
    static HistogramPicture::Picture PictureOf(const ClassStatistics::Statistics& statistics);

signals:
    // Cb or Va was typed and reads differently than before.
    void QuantitiesChanged();

private:
    void TakeFields();

    QLineEdit* cb_;
    QLineEdit* va_;
    QLabel* fieldMessage_;
    QLabel* summary_;
    HistogramView* histogram_;
    std::optional<double> cbMolPerL_;
    std::optional<double> vaMl_;
};
