#include "station/TeacherStation.h"

#include "data/ClassReport.h"
#include "data/ClassTable.h"
#include "data/ClipboardPut.h"
#include "data/HistogramPicture.h"
#include "station/ClassPanel.h"
#include "station/HistogramView.h"
#include "support/AppLog.h"
#include "support/CurvePalette.h"
#include "support/DesignFont.h"
#include "support/ErrorBox.h"
#include "support/QuestionBox.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
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
const QColor kMarkedBackground(0xff, 0xd6, 0xa8);
const QColor kLeftOutText(0x80, 0x80, 0x80);

QStringList ColumnHeaders()
{
    return ClassTable::Headers()
        << QStringLiteral("Ca (mol/L)") << QStringLiteral("Écart / s") << QStringLiteral("Remarque");
}

// A conductivity drawn on the station's one conductivity axis, in mS/cm.
double ToMilliSiemens(MeasuredQuantity quantity)
{
    return quantity == MeasuredQuantity::ConductivityMicroSiemens ? 1e-3 : 1.0;
}

}  // namespace

TeacherStation::TeacherStation(ReceivedMeasurements& store, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , store_(store)
    , classFolder_([] { return QDir::currentPath(); })
    , question_([this](const QString& text) { return QuestionBox::AskOuiNon(this, text); })
    , table_(new QTableWidget(0, static_cast<int>(ColumnHeaders().size())))
    , chartView_(new QChartView)
    , chart_(new QChart)
    , axisX_(new QValueAxis(chart_))
    , axisY_(new QValueAxis(chart_))
    , enregistrer_(new QPushButton(QStringLiteral("&Enregistrer")))
    , copier_(new QPushButton(QStringLiteral("&Copier le tableau")))
    , effacer_(new QPushButton(QStringLiteral("&Tout effacer")))
    , rapport_(new QPushButton(QStringLiteral("&Rapport de classe")))
    , ecarter_(new QPushButton(QStringLiteral("Éc&arter / reprendre")))
    , panel_(new ClassPanel)
    , axisConductivity_(new QValueAxis(chart_))
    , fileDialogRunner_(RunFileDialog)
    , note_(new QLabel)
    , message_(new QLabel)
    , reception_(new QLabel)
    , refresh_(new QTimer(this))
{
    setObjectName(QStringLiteral("PosteDuProfesseur"));
    setWindowTitle(QStringLiteral("Quorin : Poste du professeur"));
    setFont(DesignFont(8));

    table_->setObjectName(QStringLiteral("TableauClasse"));
    table_->setHorizontalHeaderLabels(ColumnHeaders());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    // Columns fitted once per refresh: fitted to their contents by the header itself, every
    // cell written would measure every text of its column again.
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->resizeColumnsToContents();  // to the headers while the list is empty
    connect(table_, &QTableWidget::itemSelectionChanged, this, Guarded(this, &TeacherStation::DrawSelection));
    connect(table_, &QTableWidget::itemChanged, this, Guarded(this, &TeacherStation::RowTicked));

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
    axisConductivity_->setTitleText(QStringLiteral("Conductivité (mS/cm)"));
    axisConductivity_->setRange(0, 1);
    axisConductivity_->setTickCount(6);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    chart_->addAxis(axisConductivity_, Qt::AlignRight);
    axisConductivity_->hide();

    auto* right = new QSplitter(Qt::Vertical);
    right->addWidget(chartView_);
    right->addWidget(panel_);
    right->setSizes({330, 300});
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(table_);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({600, 560});

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {enregistrer_, copier_, rapport_, ecarter_, effacer_})
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
    connect(rapport_, &QPushButton::clicked, this, Guarded(this, &TeacherStation::RapportDeClasseClick));
    connect(ecarter_, &QPushButton::clicked, this, Guarded(this, &TeacherStation::EcarterClick));
    connect(panel_, &ClassPanel::QuantitiesChanged, this, Guarded(this, &TeacherStation::QuantitiesChanged));
    store_.SetBeakerVolumeMl(panel_->BeakerVolumeMl());

    refresh_->setSingleShot(true);
    refresh_->setInterval(kRefreshIntervalMs);
    connect(refresh_, &QTimer::timeout, this, Guarded(this, &TeacherStation::Refresh));
    connect(&store_, &ReceivedMeasurements::Changed, this, Guarded(this, &TeacherStation::ScheduleRefresh));
    resize(1180, 660);
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
    RefreshStatistics();
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
    QList<int> inserted;
    // Both run from the newest: rows by decreasing arrival number, entries read backwards.
    int row = 0;
    qsizetype next = entries.size() - 1;
    while (next >= 0 || row < table_->rowCount()) {
        const bool haveRow = row < table_->rowCount();
        const quint64 shown = haveRow ? ArrivalNumberOfRow(row) : 0;
        if (next >= 0 && (!haveRow || entries[next].arrivalNumber > shown)) {
            InsertRow(row, entries[next]);
            for (int& earlier : inserted)
                ++earlier;
            inserted.append(row);
            --next;
            ++row;
        } else if (next < 0 || entries[next].arrivalNumber < shown) {
            // Its measurement went: the oldest past the capacity. The columns keep their width.
            table_->removeRow(row);
        } else {
            --next;
            ++row;
        }
    }
    if (rowsBefore == 0) {
        table_->resizeColumnsToContents();
        return;
    }
    // The columns widen to the new rows' cells only: fitting them to every text again would
    // lay out all of them at each arrival.
    for (const int r : inserted)
        WidenColumnsTo(r);
}

void TeacherStation::WidenColumnsTo(int row)
{
    for (int col = 0; col < table_->columnCount(); ++col) {
        const int wanted = table_->sizeHintForIndex(table_->model()->index(row, col)).width();
        if (wanted > table_->columnWidth(col))
            table_->setColumnWidth(col, wanted);
    }
}

void TeacherStation::InsertRow(int row, const Entry& entry)
{
    table_->insertRow(row);
    // The statistics' cells are written by RefreshStatistics; only the tick's place is made here.
    const QStringList cells = ClassTable::Cells(entry) << QString() << QString() << QString();
    for (int col = 0; col < cells.size(); ++col) {
        // Made whole before the table takes it: one change for the view to follow, not three.
        auto* item = new QTableWidgetItem(cells[col]);
        item->setTextAlignment(Qt::AlignVCenter | (col >= 2 && col < kRemarkColumn ? Qt::AlignRight : Qt::AlignLeft));
        if (col == 0)
            item->setData(kArrivalRole, QVariant::fromValue(entry.arrivalNumber));
        if (col == kRemarkColumn && entry.ClassVolumeMl()) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(leftOut_.contains(entry.arrivalNumber) ? Qt::Unchecked : Qt::Checked);
            item->setToolTip(QStringLiteral("Décocher pour écarter ce banc des statistiques (un titrage manqué)"));
        }
        table_->setItem(row, col, item);  // the table owns it
    }
}

void TeacherStation::RefreshStatistics()
{
    const QList<Entry>& entries = store_.Entries();
    statistics_ = ClassStatistics::Compute(ClassStatistics::FromEntries(entries, leftOut_), panel_->Quantities());
    table_->setColumnHidden(kCaColumn, !statistics_.ofConcentration);
    // The rows are the entries newest first (SyncRows); only cells whose text changed are written.
    const QSignalBlocker blocker(table_);
    const int rows = std::min(table_->rowCount(), static_cast<int>(statistics_.rows.size()));
    QList<std::pair<int, int>> longer;
    for (int r = 0; r < rows; ++r) {
        const ClassStatistics::Row& row = statistics_.rows[static_cast<std::size_t>(rows - 1 - r)];
        QStringList cells = ClassStatistics::Cells(statistics_, row).mid(2);
        if (!statistics_.ofConcentration)
            cells.prepend(QString());
        const QColor background = row.marked ? kMarkedBackground : QColor();
        for (int i = 0; i < 3; ++i) {
            QTableWidgetItem* item = table_->item(r, kCaColumn + i);
            if (!item)
                continue;
            if (item->text() != cells[i]) {
                item->setText(cells[i]);
                // Only a text longer than any before in its column is measured.
                if (cells[i].size() > widestStatistic_[static_cast<std::size_t>(i)]) {
                    widestStatistic_[static_cast<std::size_t>(i)] = cells[i].size();
                    longer.append({r, kCaColumn + i});
                }
            }
            const QVariant wanted = background.isValid() ? QVariant(background) : QVariant();
            if (item->data(Qt::BackgroundRole) != wanted)
                item->setData(Qt::BackgroundRole, wanted);
            const QVariant grey = row.leftOut ? QVariant(kLeftOutText) : QVariant();
            if (item->data(Qt::ForegroundRole) != grey)
                item->setData(Qt::ForegroundRole, grey);
        }
    }
    for (const auto& [r, col] : longer) {
        const int wanted = table_->sizeHintForIndex(table_->model()->index(r, col)).width();
        if (wanted > table_->columnWidth(col))
            table_->setColumnWidth(col, wanted);
    }
    panel_->Show(statistics_);
}

void TeacherStation::SetLeftOut(quint64 arrivalNumber, bool leftOut)
{
    if (leftOut)
        leftOut_.insert(arrivalNumber);
    else
        leftOut_.remove(arrivalNumber);
    qCInfo(lcApp).noquote() << QStringLiteral("Poste du professeur : mesure n° %1 %2 des statistiques")
                                   .arg(arrivalNumber)
                                   .arg(leftOut ? QStringLiteral("écartée") : QStringLiteral("reprise dans"));
}

void TeacherStation::RowTicked(QTableWidgetItem* item)
{
    if (!item || item->column() != kRemarkColumn || !(item->flags() & Qt::ItemIsUserCheckable))
        return;
    const quint64 number = ArrivalNumberOfRow(item->row());
    const bool leftOut = item->checkState() != Qt::Checked;
    if (leftOut == leftOut_.contains(number))
        return;
    SetLeftOut(number, leftOut);
    RefreshStatistics();
}

void TeacherStation::EcarterClick()
{
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.append(index.row());
    int toggled = 0;
    {
        const QSignalBlocker blocker(table_);
        for (const int r : rows) {
            QTableWidgetItem* item = table_->item(r, kRemarkColumn);
            if (!item || !(item->flags() & Qt::ItemIsUserCheckable))
                continue;
            const bool leftOut = item->checkState() == Qt::Checked;
            item->setCheckState(leftOut ? Qt::Unchecked : Qt::Checked);
            SetLeftOut(ArrivalNumberOfRow(r), leftOut);
            ++toggled;
        }
    }
    if (toggled == 0) {
        message_->setText(QStringLiteral("Sélectionnez dans la liste les bancs à écarter des statistiques ou à reprendre."));
        return;
    }
    RefreshStatistics();
    message_->setText(QStringLiteral("%1 banc(s) écarté(s) des statistiques ou repris").arg(toggled));
}

void TeacherStation::QuantitiesChanged()
{
    // Va corrects the dilution of the conductivity curves: those are analysed again and their
    // rows written anew.
    store_.SetBeakerVolumeMl(panel_->BeakerVolumeMl());
    const QList<Entry>& entries = store_.Entries();
    const int rows = std::min(table_->rowCount(), static_cast<int>(entries.size()));
    {
        const QSignalBlocker blocker(table_);
        for (int r = 0; r < rows; ++r) {
            const Entry& entry = entries[entries.size() - 1 - r];
            if (!MeasuredQuantities::IsConductivity(entry.quantity))
                continue;
            const QStringList cells = ClassTable::Cells(entry);
            for (int col = 0; col < cells.size(); ++col)
                table_->item(r, col)->setText(cells[col]);
            QTableWidgetItem* tick = table_->item(r, kRemarkColumn);
            if (entry.ClassVolumeMl() && !(tick->flags() & Qt::ItemIsUserCheckable)) {
                tick->setFlags(tick->flags() | Qt::ItemIsUserCheckable);
                tick->setCheckState(leftOut_.contains(entry.arrivalNumber) ? Qt::Unchecked : Qt::Checked);
            }
        }
    }
    RefreshStatistics();
    table_->resizeColumnsToContents();
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
        const bool conductivity = MeasuredQuantities::IsConductivity(entry.quantity);
        double highest = 0.0;
        if (conductivity) {
            QList<QPointF> points = entry.points;
            const double factor = ToMilliSiemens(entry.quantity);
            for (QPointF& p : points) {
                p.ry() *= factor;
                highest = std::max(highest, p.y());
            }
            series->replace(points);
        } else {
            series->replace(entry.points);
        }
        chart_->addSeries(series);  // the chart owns it
        series->attachAxis(axisX_);
        series->attachAxis(conductivity ? axisConductivity_ : axisY_);
        drawn_.insert(entry.arrivalNumber, Curve{series, colour, conductivity, highest});
    }
    FitQuantityAxes();
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

void TeacherStation::FitQuantityAxes()
{
    bool pH = false;
    double highest = 0.0;
    bool conductivity = false;
    for (const Curve& curve : drawn_) {
        pH = pH || !curve.conductivity;
        if (curve.conductivity) {
            conductivity = true;
            highest = std::max(highest, curve.highest);
        }
    }
    axisConductivity_->setVisible(conductivity);
    axisY_->setVisible(pH || !conductivity);
    if (!conductivity || !(highest > 0.0) || !std::isfinite(highest))
        return;
    // From 0 to a round value above the highest: 1, 2 or 5 times a power of ten, in fifths.
    const double power = std::pow(10.0, std::floor(std::log10(highest)));
    double top = power;
    for (const double step : {1.0, 2.0, 5.0, 10.0})
        if (step * power >= highest) {
            top = step * power;
            break;
        }
    if (axisConductivity_->max() != top)
        axisConductivity_->setRange(0, top);
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
    Refresh();
    ClipboardPut::PutOnClipboard(ClassStatistics::StationClipboardText(store_.Entries(), statistics_));
    message_->setText(QStringLiteral("Tableau copié : %1 ligne(s) et les statistiques de la classe")
                          .arg(store_.Entries().size()));
}

void TeacherStation::RapportDeClasseClick()
{
    Refresh();
    const ClassReport::Content content = ClassReport::Make(store_.Entries(), statistics_, panel_->Quantities(),
                                                           QDateTime::currentDateTime());
    QFileDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Rapport de classe en PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(classFolder_());
    dialog.setNameFilter(QStringLiteral("Documents PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(QStringLiteral("Rapport de classe %1.pdf")
                          .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH'h'mm"))));
    // The standard dialog asks before replacing an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QString path = fileDialogRunner_(dialog);
    if (path.isEmpty())
        return;
    // What an earlier report said must not stand beside this one's failure.
    message_->clear();
    const HistogramPicture::Picture picture = ClassPanel::PictureOf(statistics_);
    // A failed write throws: Guarded shows it in the error box, and nothing is said saved.
    ClassReport::WritePdf(path, content, [&picture](QPainter& painter, const QRectF& target) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSizeF(9.0);
        painter.setFont(font);
        HistogramPicture::Paint(painter, target, picture, HistogramView::EmptyText());
    });
    qCInfo(lcApp).noquote() << QStringLiteral("Rapport de classe enregistré : %1 (%2 mesures)")
                                   .arg(QDir::toNativeSeparators(path))
                                   .arg(content.rows.size());
    message_->setText(QStringLiteral("Rapport de classe enregistré : %1").arg(QDir::toNativeSeparators(path)));
}

void TeacherStation::ToutEffacerClick()
{
    if (store_.Entries().isEmpty() && store_.DroppedCount() == 0)
        return;
    if (!question_(QStringLiteral("Effacer toutes les mesures reçues ?")))
        return;
    store_.Clear();
    leftOut_.clear();
    Refresh();
    message_->setText(QStringLiteral("Liste effacée"));
}
