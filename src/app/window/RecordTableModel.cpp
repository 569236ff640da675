#include "window/RecordTableModel.h"

#include "data/MeasurementRecord.h"
#include "support/ErrorBox.h"

RecordTableModel::RecordTableModel(MeasurementRecord& record, QObject* parent)
    : QAbstractTableModel(parent)
    , record_(record)
{
    connect(&record_, &MeasurementRecord::TableChanged, this, Guarded(this, &RecordTableModel::Reload));
    connect(&record_, &MeasurementRecord::RecordReset, this, Guarded(this, &RecordTableModel::Reload));
    connect(&record_, &MeasurementRecord::SampleAppended, this, Guarded(this, &RecordTableModel::Reload));
    connect(&record_, &MeasurementRecord::CellChanged, this, Guarded(this, &RecordTableModel::OnCellChanged));
}

int RecordTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, record_.RowCount() - 1);
}

int RecordTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : MeasurementRecord::kColumnCount;
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return record_.Cell(index.column(), index.row() + 1);
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return record_.Cell(section, 0);
    return section + 1;
}

void RecordTableModel::Reload()
{
    beginResetModel();
    endResetModel();
}

void RecordTableModel::OnCellChanged(int col, int row)
{
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    if (row - 1 >= rowCount())
        return;
    const QModelIndex at = index(row - 1, col);
    emit dataChanged(at, at);
}
