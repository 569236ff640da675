#include "station/HistogramView.h"

#include <QPainter>

HistogramView::HistogramView(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("HistogrammeClasse"));
    setMinimumSize(220, 140);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

QString HistogramView::EmptyText()
{
    return QStringLiteral("Aucune valeur retenue : l'histogramme paraîtra avec les mesures reçues");
}

void HistogramView::SetPicture(HistogramPicture::Picture picture)
{
    picture_ = std::move(picture);
    update();
}

void HistogramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font());
    HistogramPicture::Paint(painter, QRectF(rect()).adjusted(4, 4, -4, -4), picture_, EmptyText());
}
