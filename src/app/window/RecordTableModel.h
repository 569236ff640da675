#pragma once

#include <QAbstractTableModel>

class MeasurementRecord;

// The point table StringGrid1 as a view of the record: row 0 of the record is the header,
// the other rows are shown as they stand in the cells. Read-only.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit RecordTableModel(MeasurementRecord& record, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void Reload();
    void OnCellChanged(int col, int row);

    MeasurementRecord& record_;
};
