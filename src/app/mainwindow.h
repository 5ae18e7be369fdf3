#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;

namespace records {
class EntryScreen;
class RecordList;
} // namespace records
namespace printing {
class PrintFrames;
}

namespace app {

// frm_anaform: the program's one long-lived window.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1008; // 15120 twips
    static constexpr int kHeight = 682; // 10230 twips
    static QString windowTitleText();

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    records::EntryScreen &entryScreen() const { return *screen_; }
    records::RecordList &recordList() const { return *list_; }
    printing::PrintFrames &printFrames() const { return *printFrames_; }
    QLabel *LblVersiyon() const { return version_; }
    QPushButton *button(const QString &name) const;

    // Runs the load steps once: placement, schema upgrade, entry screen.
    void load();
    // "Çıkış": asks, then compacts and ends the process.
    void exitClicked();
    void ExitProgram();
    void Kaydet();
    void showAbout();
    // The about window's restore, once the clerk has chosen the file: asks,
    // restores, tells what was done.
    void restoreFromBackup(const QString &file);
    // The about window's import from a Jet file: records or brands, as the
    // file holds them; asks, brings them over, shows the summary.
    void importFromJet(const QString &file);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void refreshHeader();
    void placeOnScreen();

    records::EntryScreen *screen_ = nullptr;
    records::RecordList *list_ = nullptr;
    printing::PrintFrames *printFrames_ = nullptr;
    QLabel *version_ = nullptr;
    QStatusBar *status_ = nullptr;
    QTimer *clock_ = nullptr;
    bool exiting_ = false;
};

} // namespace app
