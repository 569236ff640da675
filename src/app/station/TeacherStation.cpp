#include "station/TeacherStation.h"

#include "data/ClassTable.h"
#include "data/ClipboardPut.h"
#include "support/AppLog.h"
#include "support/CurvePalette.h"
#include "support/DesignFont.h"
#include "support/ErrorBox.h"
#include "support/QuestionBox.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kArrivalRole = Qt::UserRole;

}  // namespace

TeacherStation::TeacherStation(ReceivedMeasurements& store, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , store_(store)
    , classFolder_([] { return QDir::currentPath(); })
    , question_([this](const QString& text) { return QuestionBox::AskOuiNon(this, text); })
    , table_(new QTableWidget(0, static_cast<int>(ClassTable::Headers().size())))
    , chartView_(new QChartView)
    , chart_(new QChart)
    , axisX_(new QValueAxis(chart_))
    , axisY_(new QValueAxis(chart_))
    , enregistrer_(new QPushButton(QStringLiteral("&Enregistrer")))
    , copier_(new QPushButton(QStringLiteral("&Copier le tableau")))
    , effacer_(new QPushButton(QStringLiteral("&Tout effacer")))
    , note_(new QLabel)
    , message_(new QLabel)
    , reception_(new QLabel)
    , refresh_(new QTimer(this))
{
    setObjectName(QStringLiteral("PosteDuProfesseur"));
    setWindowTitle(QStringLiteral("Quorin : Poste du professeur"));
    setFont(DesignFont(8));

    table_->setObjectName(QStringLiteral("TableauClasse"));
    table_->setHorizontalHeaderLabels(ClassTable::Headers());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    // Columns fitted once per refresh: fitted to their contents by the header itself, every
    // cell written would measure every text of its column again.
    table_->horizontalHeader()->setStretchLastSection(true);
    connect(table_, &QTableWidget::itemSelectionChanged, this, Guarded(this, &TeacherStation::DrawSelection));

    chartView_->setObjectName(QStringLiteral("ChartClasse"));
    chartView_->setChart(chart_);  // the view owns the chart
    chartView_->setRenderHint(QPainter::Antialiasing);
    chart_->setTitle(QStringLiteral("Courbes sélectionnées"));
    QLocale french(QLocale::French, QLocale::France);
    french.setNumberOptions(QLocale::OmitGroupSeparator);
    chart_->setLocale(french);
    chart_->setLocalizeNumbers(true);
    chart_->legend()->setAlignment(Qt::AlignRight);
    chart_->legend()->hide();
    axisX_->setTitleText(QStringLiteral("Volume v de réactif versé, en millilitres"));
    axisX_->setRange(0, 30);
    axisX_->setTickCount(7);
    axisY_->setTitleText(QStringLiteral("pH"));
    axisY_->setRange(0, 14);
    axisY_->setTickCount(8);
    axisY_->setLabelFormat(QStringLiteral("%.0f"));
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(table_);
    splitter->addWidget(chartView_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({380, 560});

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {enregistrer_, copier_, effacer_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(note_);

    reception_->setObjectName(QStringLiteral("ReceptionReseau"));
    reception_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    reception_->setWordWrap(true);
    reception_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(reception_);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    layout->addWidget(message_);

    connect(enregistrer_, &QPushButton::clicked, this, Guarded(this, &TeacherStation::EnregistrerClick));
    connect(copier_, &QPushButton::clicked, this, Guarded(this, &TeacherStation::CopierTableauClick));
    connect(effacer_, &QPushButton::clicked, this, Guarded(this, &TeacherStation::ToutEffacerClick));

    refresh_->setSingleShot(true);
    refresh_->setInterval(kRefreshIntervalMs);
    connect(refresh_, &QTimer::timeout, this, Guarded(this, &TeacherStation::Refresh));
    connect(&store_, &ReceivedMeasurements::Changed, this, Guarded(this, &TeacherStation::ScheduleRefresh));
    resize(960, 520);
    Refresh();
}

void TeacherStation::SetReceptionProblem(const QString& problem)
{
    reception_->setText(problem);
    reception_->setVisible(!problem.isEmpty());
}

TeacherStation::~TeacherStation()
{
    disconnect(table_, nullptr, this, nullptr);
}

void TeacherStation::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!placed_) {
        // Whole on the screen of the window that opened it, however large it is.
        placed_ = true;
        const QWidget* opener = parentWidget() ? parentWidget()->window() : nullptr;
        if (const QScreen* screen = opener ? opener->screen() : this->screen()) {
            const QRect free = screen->availableGeometry();
            resize(size().boundedTo(free.size() - QSize(40, 60)));
            move(free.center() - rect().center());
        }
    }
    Refresh();
}

void TeacherStation::ScheduleRefresh()
{
    // A hidden window catches up when it is shown.
    if (isVisible() && !refresh_->isActive())
        refresh_->start();
}

const TeacherStation::Entry* TeacherStation::EntryOfRow(int row) const
{
    const QTableWidgetItem* item = table_->item(row, 0);
    if (!item)
        return nullptr;
    const quint64 number = item->data(kArrivalRole).toULongLong();
    const QList<Entry>& entries = store_.Entries();
    const auto found = std::lower_bound(entries.begin(), entries.end(), number,
                                        [](const Entry& e, quint64 n) { return e.arrivalNumber < n; });
    return found != entries.end() && found->arrivalNumber == number ? &*found : nullptr;
}

QList<TeacherStation::Entry> TeacherStation::SelectedEntries() const
{
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QList<Entry> selected;
    for (const int row : rows)
        if (const Entry* entry = EntryOfRow(row))
            selected.append(*entry);
    return selected;
}

void TeacherStation::Refresh()
{
    refresh_->stop();
    SyncRows();
    const int count = table_->rowCount();
    QString note = count == 1 ? QStringLiteral("1 mesure reçue") : QStringLiteral("%1 mesures reçues").arg(count);
    if (store_.DroppedCount() > 0)
        note += QStringLiteral(" ; %1 mesure(s) parmi les plus anciennes retirée(s) : %2 au plus sont gardées")
                    .arg(store_.DroppedCount())
                    .arg(ReceivedMeasurements::kCapacity);
    note_->setText(note);
    DrawSelection();
}

quint64 TeacherStation::ArrivalNumberOfRow(int row) const
{
    const QTableWidgetItem* item = table_->item(row, 0);
    return item ? item->data(kArrivalRole).toULongLong() : 0;
}

void TeacherStation::SyncRows()
{
    const QList<Entry>& entries = store_.Entries();
    // A selected row that goes changes the selection: the chart follows once, below.
    const QSignalBlocker blocker(table_);
    if (entries.isEmpty()) {
        table_->setRowCount(0);
        return;
    }
    const int rowsBefore = table_->rowCount();
    bool changed = false;
    // Both run from the newest: rows by decreasing arrival number, entries read backwards.
    int row = 0;
    qsizetype next = entries.size() - 1;
    while (next >= 0 || row < table_->rowCount()) {
        const bool haveRow = row < table_->rowCount();
        const quint64 shown = haveRow ? ArrivalNumberOfRow(row) : 0;
        if (next >= 0 && (!haveRow || entries[next].arrivalNumber > shown)) {
            InsertRow(row, entries[next]);
            --next;
            ++row;
            changed = true;
        } else if (next < 0 || entries[next].arrivalNumber < shown) {
            // Its measurement went: the oldest past the capacity.
            table_->removeRow(row);
            changed = true;
        } else {
            --next;
            ++row;
        }
    }
    if (changed || rowsBefore == 0)
        table_->resizeColumnsToContents();
}

void TeacherStation::InsertRow(int row, const Entry& entry)
{
    table_->insertRow(row);
    const QStringList cells = ClassTable::Cells(entry);
    for (int col = 0; col < cells.size(); ++col) {
        // Made whole before the table takes it: one change for the view to follow, not three.
        auto* item = new QTableWidgetItem(cells[col]);
        item->setTextAlignment(Qt::AlignVCenter | (col >= 2 ? Qt::AlignRight : Qt::AlignLeft));
        if (col == 0)
            item->setData(kArrivalRole, QVariant::fromValue(entry.arrivalNumber));
        table_->setItem(row, col, item);  // the table owns it
    }
}

int TeacherStation::FreeColour() const
{
    QList<int> used;
    used.reserve(drawn_.size());
    for (const Curve& curve : drawn_)
        used.append(curve.colour);
    std::sort(used.begin(), used.end());
    int colour = 0;
    for (const int taken : used)
        if (taken == colour)
            ++colour;
    return colour;
}

void TeacherStation::DrawSelection()
{
    const QList<Entry> selected = SelectedEntries();
    QSet<quint64> wanted;
    for (const Entry& entry : selected)
        if (!entry.points.isEmpty())
            wanted.insert(entry.arrivalNumber);
    for (auto it = drawn_.begin(); it != drawn_.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        chart_->removeSeries(it->series);  // the chart gives it back
        delete it->series;
        it = drawn_.erase(it);
    }
    double low = 0;
    double high = 0;
    bool any = false;
    for (const Entry& entry : selected) {
        if (entry.points.isEmpty())
            continue;
        low = any ? std::min(low, entry.points.front().x()) : entry.points.front().x();
        high = any ? std::max(high, entry.points.back().x()) : entry.points.back().x();
        any = true;
        if (drawn_.contains(entry.arrivalNumber))
            continue;
        const int colour = FreeColour();
        auto* series = new QLineSeries;
        series->setName(ClassTable::CurveName(entry));
        // A class's curves are many: thin lines, redrawn quickly, and they hide each other less.
        series->setPen(CurvePalette::Pen(colour, 1.0));
        series->replace(entry.points);
        chart_->addSeries(series);  // the chart owns it
        series->attachAxis(axisX_);
        series->attachAxis(axisY_);
        drawn_.insert(entry.arrivalNumber, Curve{series, colour});
    }
    // Past a few dozen names the legend cannot show them and costs each redraw more than the
    // curves do; the table's selection names them then.
    chart_->legend()->setVisible(any && drawn_.size() <= kLegendMost);
    if (any && high > low) {
        // Whole steps of 5 mL (10 past 50 mL) from 0, as a burette is read.
        const double step = high > 50 ? 10.0 : 5.0;
        const double from = std::floor(std::min(low, 0.0) / step) * step;
        const double to = std::ceil(high / step) * step;
        if (axisX_->min() != from || axisX_->max() != to) {
            axisX_->setRange(from, to);
            axisX_->setTickCount(std::min(static_cast<int>(std::lround((to - from) / step)) + 1, 21));
        }
    }
}

void TeacherStation::EnregistrerClick()
{
    const QList<Entry> selected = SelectedEntries();
    if (selected.isEmpty()) {
        message_->setText(QStringLiteral("Sélectionnez dans la liste les mesures à enregistrer."));
        return;
    }
    int saved = 0;
    int unreadable = 0;
    QString folder;
    ErrorBox::Guard([&] {
        folder = classFolder_();
        for (const Entry& entry : selected) {
            if (!entry.readable) {
                ++unreadable;
                continue;
            }
            const QString path = ClassTable::Save(entry, folder);
            qCInfo(lcApp).noquote() << QStringLiteral("Mesure de %1 enregistrée : %2 (%3 points)")
                                           .arg(entry.peerAddress, QDir::toNativeSeparators(path))
                                           .arg(entry.points.size());
            ++saved;
        }
    });
    QString text = QStringLiteral("%1 mesure(s) enregistrée(s) dans « %2 »")
                       .arg(saved)
                       .arg(QDir::toNativeSeparators(folder));
    if (unreadable > 0)
        text += QStringLiteral(" ; %1 illisible(s) non enregistrée(s)").arg(unreadable);
    message_->setText(text);
}

void TeacherStation::CopierTableauClick()
{
    QList<Entry> newestFirst(store_.Entries().rbegin(), store_.Entries().rend());
    ClipboardPut::PutOnClipboard(ClassTable::ClipboardText(newestFirst));
    message_->setText(QStringLiteral("Tableau copié : %1 ligne(s)").arg(newestFirst.size()));
}

void TeacherStation::ToutEffacerClick()
{
    if (store_.Entries().isEmpty() && store_.DroppedCount() == 0)
        return;
    if (!question_(QStringLiteral("Effacer toutes les mesures reçues ?")))
        return;
    store_.Clear();
    Refresh();
    message_->setText(QStringLiteral("Liste effacée"));
}
