#include "help/HelpWindow.h"

#include "support/ErrorBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

const QString kLinkScheme = QStringLiteral("sujet");

}  // namespace

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quorin : Aide"));
    resize(780, 540);

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("HelpTabs"));

    contentsList = new QListWidget(tabs);
    contentsList->setObjectName(QStringLiteral("HelpContents"));
    tabs->addTab(contentsList, QStringLiteral("&Sommaire"));

    auto* indexPage = new QWidget(tabs);
    auto* indexLayout = new QVBoxLayout(indexPage);
    auto* indexLabel = new QLabel(QStringLiteral("&Tapez le début du mot cherché :"), indexPage);
    indexEdit = new QLineEdit(indexPage);
    indexEdit->setObjectName(QStringLiteral("HelpIndexEdit"));
    indexLabel->setBuddy(indexEdit);
    indexList = new QListWidget(indexPage);
    indexList->setObjectName(QStringLiteral("HelpIndex"));
    indexLayout->addWidget(indexLabel);
    indexLayout->addWidget(indexEdit);
    indexLayout->addWidget(indexList);
    tabs->addTab(indexPage, QStringLiteral("&Index"));

    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("HelpText"));
    // Links are followed here, between topics; nothing is fetched from disc or network.
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabs);
    splitter->addWidget(browser);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 540});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    connect(contentsList, &QListWidget::currentRowChanged, this, Guarded(this, &HelpWindow::ContentsRowChanged));
    connect(indexList, &QListWidget::currentRowChanged, this, Guarded(this, &HelpWindow::IndexRowActivated));
    connect(indexEdit, &QLineEdit::textEdited, this, Guarded(this, &HelpWindow::IndexTextEdited));
    connect(indexEdit, &QLineEdit::returnPressed, this,
            Guarded([this] { IndexRowActivated(indexList->currentRow()); }));
    connect(browser, &QTextBrowser::anchorClicked, this, Guarded(this, &HelpWindow::LinkClicked));
}

void HelpWindow::ShowTopic(const QString& path, int topic)
{
    OpenFile(path);
    if (file)
        Display(topic);
    Present();
}

void HelpWindow::ShowContents(const QString& path)
{
    OpenFile(path);
    tabs->setCurrentIndex(0);
    if (file)
        Display(file->Topics().front().number);
    Present();
}

void HelpWindow::OpenFile(const QString& path)
{
    currentFile = path;
    currentTopic = 0;
    file.reset();
    index.clear();
    {
        const QSignalBlocker blockContents(contentsList);
        const QSignalBlocker blockIndex(indexList);
        contentsList->clear();
        indexList->clear();
    }
    try {
        file = HelpFile::Load(path);
    } catch (const std::runtime_error& error) {
        setWindowTitle(QStringLiteral("Quorin : Aide"));
        ShowMessage(QString::fromUtf8(error.what()));
        return;
    }
    setWindowTitle(file->Title().isEmpty() ? QStringLiteral("Quorin : Aide")
                                           : QStringLiteral("Quorin : Aide - %1").arg(file->Title()));
    const QSignalBlocker blockContents(contentsList);
    const QSignalBlocker blockIndex(indexList);
    for (const HelpTopic& topic : file->Topics())
        contentsList->addItem(topic.title);
    index = file->Index();
    for (const HelpFile::IndexEntry& entry : index)
        indexList->addItem(entry.keyword);
}

void HelpWindow::Display(int topic)
{
    const HelpTopic* found = file ? file->Topic(topic) : nullptr;
    if (found == nullptr) {
        currentTopic = 0;
        ShowMessage(QStringLiteral("Le fichier d'aide « %1 » n'a pas de sujet numéro %2.").arg(currentFile).arg(topic));
        return;
    }
    currentTopic = topic;
    message.clear();
    browser->setHtml(QStringLiteral("<h2>%1</h2>\n%2").arg(found->title.toHtmlEscaped(), found->body));
    const auto& topics = file->Topics();
    for (size_t row = 0; row < topics.size(); ++row) {
        if (topics[row].number == topic) {
            const QSignalBlocker block(contentsList);
            contentsList->setCurrentRow(static_cast<int>(row));
        }
    }
}

void HelpWindow::ShowMessage(const QString& text)
{
    message = text;
    browser->setHtml(QStringLiteral("<h2>Aide indisponible</h2><p>%1</p>").arg(text.toHtmlEscaped()));
}

void HelpWindow::Present()
{
    show();
    raise();
    activateWindow();
}

void HelpWindow::ContentsRowChanged(int row)
{
    if (file && row >= 0 && static_cast<size_t>(row) < file->Topics().size())
        Display(file->Topics()[static_cast<size_t>(row)].number);
}

void HelpWindow::IndexRowActivated(int row)
{
    if (file && row >= 0 && static_cast<size_t>(row) < index.size())
        Display(index[static_cast<size_t>(row)].topic);
}

void HelpWindow::IndexTextEdited(const QString& text)
{
    // Like a paper index: the first entry that begins with what was typed is selected.
    const QString key = HelpFile::SearchKey(text);
    if (key.isEmpty())
        return;
    for (size_t row = 0; row < index.size(); ++row) {
        if (HelpFile::SearchKey(index[row].keyword).startsWith(key)) {
            const QSignalBlocker block(indexList);
            indexList->setCurrentRow(static_cast<int>(row));
            indexList->scrollToItem(indexList->currentItem());
            return;
        }
    }
}

void HelpWindow::LinkClicked(const QUrl& url)
{
    if (url.scheme() != kLinkScheme)
        return;
    bool ok = false;
    const int topic = url.path().toInt(&ok);
    if (ok)
        Display(topic);
}
