#pragma once

#include <QDialog>

#include <array>

class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// The quick help "Quorin : Mode d'emploi simplifié": four pages of instructions, written anew
// at each opening; the page last chosen stays chosen.
class TPagesDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPageCount = 4;

    // `mainWindow` is the dialog's parent and is brought to the front by "OK".
    explicit TPagesDlg(QWidget* mainWindow);

    static QString PageCaption(int page);
    static QString PageText(int page);

    QTabWidget* PageControl() const { return pageControl; }
    QPlainTextEdit* PageMemo(int page) const { return memos.at(static_cast<size_t>(page)); }
    QPushButton* OKBtn() const { return okBtn; }

public slots:
    // "Ai&de rapide" and "Aide &rapide": shows the dialog modally, returns when it closes.
    void Conseils1Click();

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void OKBtnClick();

private:
    // FormShow: the texts replace whatever was typed into the pages.
    void FillPages();

    QWidget* mainWindow;
    QTabWidget* pageControl = nullptr;
    std::array<QPlainTextEdit*, kPageCount> memos{};
    QPushButton* okBtn = nullptr;
};
