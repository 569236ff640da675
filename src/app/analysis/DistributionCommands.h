#pragma once

#include "chemistry/MixtureFit.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class ModelCommands;
class QAction;
class QChartView;
class QDialog;
class QLineSeries;
class QValueAxis;
class RecordChart;

// "Diagramme de distri&bution": the proportion of each form of the model's weak species (H3PO4,
// H2PO4−, HPO4 2−, PO4 3−) against the poured volume, drawn over the curve on a right-hand axis
// from 0 to 100 %, one named line per form; it follows the model on the chart, fitted or drawn,
// and goes with it. "Distribution en fonction du p&H..." shows the same forms against the pH in a
// window of its own. The shares are SpeciesFractions's.
class DistributionCommands : public QObject {
    Q_OBJECT

public:
    using StatusSetter = std::function<void(const QString&)>;
    using WindowRunner = std::function<void(QDialog&)>;

    DistributionCommands(RecordChart& chart, ModelCommands& model, StatusSetter status, QObject* parent = nullptr);

    // The checkable item it keeps in step with what is shown.
    void SetAction(QAction* action) { action_ = action; }
    // How the window against the pH is shown; modal until set.
    void SetWindowRunner(WindowRunner runner) { windowRunner_ = std::move(runner); }

    bool Shown() const { return shown_; }
    // The lines on Chart1 and their axis; empty or null until first drawn.
    QList<QLineSeries*> Lines() const;
    QValueAxis* Axis() const;

public slots:
    void DiagrammeClick(bool shown);
    void ContrePHClick();

private:
    // The model whose forms are shown, or the French reason there is none.
    std::optional<MixtureFit::Model> Model(QString& refusal) const;
    void Draw(const MixtureFit::Model& model);
    void Hide();
    void OnModelChanged();

    RecordChart& chart_;
    ModelCommands& model_;
    StatusSetter status_;
    WindowRunner windowRunner_;
    QPointer<QAction> action_;
    QPointer<QValueAxis> axis_;
    QList<QPointer<QLineSeries>> lines_;
    bool shown_ = false;
};
