#include "data/ClipboardPut.h"

#include "text/Windows1252.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

namespace ClipboardPut {

QString LinkTopic()
{
    return QStringLiteral("FOutilsU");
}

QString LinkItem()
{
    return QStringLiteral("serveurDDE");
}

QString LinkMimeType()
{
#ifdef Q_OS_WIN
    return QStringLiteral("application/x-qt-windows-mime;value=\"Link\"");
#else
    return QStringLiteral("Link");
#endif
}

QString ProgramName()
{
    const QString fileName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return fileName.section(QLatin1Char('.'), 0, 0);
}

QByteArray LinkData(const QString& programName)
{
    QByteArray data = Windows1252::Encode(programName);
    data += '\0';
    data += Windows1252::Encode(LinkTopic());
    data += '\0';
    data += Windows1252::Encode(LinkItem());
    data += '\0';
    return data;
}

QMimeData* MakeMimeData(const QString& text, const QString& programName)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    data->setData(LinkMimeType(), LinkData(programName));
    return data.release();
}

void PutOnClipboard(const QString& text, QClipboard* clipboard)
{
    if (!clipboard)
        clipboard = QGuiApplication::clipboard();
    // The clipboard takes ownership of the mime data.
    clipboard->setMimeData(MakeMimeData(text, ProgramName()));
}

}  // namespace ClipboardPut
