#pragma once

#include "data/HistogramPicture.h"

#include <QWidget>

// The class's histogram in the teacher's station, painted as the class report prints it.
class HistogramView : public QWidget {
    Q_OBJECT

public:
    explicit HistogramView(QWidget* parent = nullptr);

    void SetPicture(HistogramPicture::Picture picture);
    const HistogramPicture::Picture& Picture() const { return picture_; }

    // What the view says while no value is kept.
    static QString EmptyText();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HistogramPicture::Picture picture_;
};
