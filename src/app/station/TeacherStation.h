#pragma once

#include "data/ClassStatistics.h"
#include "data/ReceivedMeasurements.h"
#include "support/FileDialogRunner.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QWidget>

#include <array>
#include <functional>

class ClassPanel;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTimer;
class QValueAxis;

// "Quorin : Poste du professeur": every measurement text received since the start, newest
// first, with its arrival time, sender, points, every Ve and pH at Ve/2 (a conductivity curve:
// its lines' crossing and its quantity), and the class's results that follow each arrival:
// Ca when the class's Cb and Va are typed, each bench's gap to the mean in s, those beyond 2 s
// marked, a bench left out of the statistics by unticking it (and back in), the summary and
// the histogram. The selected rows' curves together on a chart; saving them in the class
// folder, the table and the statistics for a spreadsheet, the class report, and clearing the
// list. The texts and the files are ClassTable's and ClassStatistics'; the list is the store's.
class TeacherStation : public QWidget {
    Q_OBJECT

public:
    using Entry = ReceivedMeasurements::Entry;
    // Asks a Oui/Non question; true for Oui.
    using Question = std::function<bool(const QString&)>;
    using FolderProvider = std::function<QString()>;

    // A new list is shown at most this often however fast texts arrive.
    static constexpr int kRefreshIntervalMs = 40;
    // The most curves whose names the chart's legend lists.
    static constexpr int kLegendMost = 24;
    // The statistics' columns after ClassTable's: Ca, the gap in s, the remark whose tick keeps
    // the bench in the statistics.
    static constexpr int kCaColumn = 5;
    static constexpr int kGapColumn = 6;
    static constexpr int kRemarkColumn = 7;

    explicit TeacherStation(ReceivedMeasurements& store, QWidget* parent = nullptr);
    // The table's last signals, as it goes, must not reach a store that may have gone first.
    ~TeacherStation() override;

    void SetClassFolder(FolderProvider folder) { classFolder_ = std::move(folder); }
    void SetQuestion(Question question) { question_ = std::move(question); }

    QTableWidget* Table() const { return table_; }
    QChartView* ChartView() const { return chartView_; }
    QPushButton* EnregistrerButton() const { return enregistrer_; }
    QPushButton* CopierButton() const { return copier_; }
    QPushButton* EffacerButton() const { return effacer_; }
    QPushButton* RapportButton() const { return rapport_; }
    QPushButton* EcarterButton() const { return ecarter_; }
    ClassPanel* Panel() const { return panel_; }
    // The statistics as last shown.
    const ClassStatistics::Statistics& Statistics() const { return statistics_; }
    // The report asks where to write through this (tests answer instead of a person).
    void SetFileDialogRunner(FileDialogRunner runner) { fileDialogRunner_ = std::move(runner); }
    // How many texts are listed and whether old ones went.
    QLabel* NoteLabel() const { return note_; }
    // What the last button did.
    QLabel* MessageLabel() const { return message_; }
    // Why no text can come in (the port cannot be listened on), at the top; hidden when they can.
    QLabel* ReceptionLabel() const { return reception_; }
    void SetReceptionProblem(const QString& problem);

    // The entries of the selected rows, newest first.
    QList<Entry> SelectedEntries() const;
    // Shows the store's list now (it is otherwise at most kRefreshIntervalMs away). Only the
    // rows of measurements that came or went are touched and only curves whose selection
    // changed are drawn or taken away, so that an arrival costs the window one row however
    // many are listed or selected.
    void Refresh();

public slots:
    // "&Enregistrer": the selected readable measurements as chemistry files in the class folder.
    void EnregistrerClick();
    // "&Copier le tableau".
    void CopierTableauClick();
    // "&Tout effacer", after a Oui/Non question.
    void ToutEffacerClick();
    // "&Rapport de classe": the class's results as a PDF, where the teacher says.
    void RapportDeClasseClick();
    // "Éc&arter / reprendre": the selected benches leave the statistics, or come back.
    void EcarterClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ScheduleRefresh();
    // Rows newest first, as the store's entries in reverse.
    void SyncRows();
    void InsertRow(int row, const Entry& entry);
    // Widens the columns that the cells of `row` do not fit in.
    void WidenColumnsTo(int row);
    quint64 ArrivalNumberOfRow(int row) const;
    void DrawSelection();
    const Entry* EntryOfRow(int row) const;
    // The first palette colour that no drawn curve has.
    int FreeColour() const;
    // The statistics of the listed benches, written into each row's last columns, the summary
    // and the histogram.
    void RefreshStatistics();
    void RowTicked(QTableWidgetItem* item);
    void QuantitiesChanged();
    void SetLeftOut(quint64 arrivalNumber, bool leftOut);
    // The conductivity axis shows when a conductivity curve is drawn, the pH axis otherwise too.
    void FitQuantityAxes();

    ReceivedMeasurements& store_;
    FolderProvider classFolder_;
    Question question_;
    QTableWidget* table_;
    QChartView* chartView_;
    QChart* chart_;
    QValueAxis* axisX_;
    QValueAxis* axisY_;
    QPushButton* enregistrer_;
    QPushButton* copier_;
    QPushButton* effacer_;
    QPushButton* rapport_;
    QPushButton* ecarter_;
    ClassPanel* panel_;
    QValueAxis* axisConductivity_;
    FileDialogRunner fileDialogRunner_;
    QLabel* note_;
    QLabel* message_;
    QLabel* reception_;
    QTimer* refresh_;
    bool placed_ = false;
    struct Curve {
        QLineSeries* series;
        int colour;
        bool conductivity;
        double highest;  // the highest value drawn, in mS/cm for a conductivity
    };
    // The drawn curves by arrival number; each keeps its colour while it stays selected.
    QHash<quint64, Curve> drawn_;
    // The benches left out of the statistics, by arrival number.
    QSet<quint64> leftOut_;
    ClassStatistics::Statistics statistics_;
    // The longest text each statistics' column was widened to, in characters.
    std::array<qsizetype, 3> widestStatistic_{};
};
