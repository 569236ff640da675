#pragma once

#include "help/HelpFile.h"

#include <QWidget>

#include <optional>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QUrl;

// The program's help viewer: a contents list and an index of one help file beside the text of
// the chosen topic. A help file that cannot be read is reported in the window itself.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // Shown as a window of its own; `owner` (the main window) keeps it and closes it with itself.
    explicit HelpWindow(QWidget* owner = nullptr);

    // Opens `path` at topic `topic`.
    void ShowTopic(const QString& path, int topic);
    // Opens `path` on its contents list, showing its first topic.
    void ShowContents(const QString& path);

    QString CurrentFile() const { return currentFile; }
    // The topic shown, 0 when none (file unreadable or topic missing).
    int CurrentTopic() const { return currentTopic; }
    // The French message shown in place of a topic, empty when a topic is shown.
    QString Message() const { return message; }

private slots:
    void ContentsRowChanged(int row);
    void IndexRowActivated(int row);
    void IndexTextEdited(const QString& text);
    void LinkClicked(const QUrl& url);

private:
    // Reads `path` again (the file may have changed since the last look) and refills the lists.
    void OpenFile(const QString& path);
    void Display(int topic);
    void ShowMessage(const QString& text);
    void Present();

    QTabWidget* tabs = nullptr;
    QListWidget* contentsList = nullptr;
    QLineEdit* indexEdit = nullptr;
    QListWidget* indexList = nullptr;
    QTextBrowser* browser = nullptr;
    std::optional<HelpFile> file;
    std::vector<HelpFile::IndexEntry> index;
    QString currentFile;
    int currentTopic = 0;
    QString message;
};
