#pragma once

#include "savestamp.h"
#include "textbox.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVector>

#include <array>
#include <map>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class QWidget;

namespace platform {
class DateGrid;
}

namespace records {

class BoxMarks;
class EntryBehaviour;
class TypingGuards;

// The inputs of the main window, addressed as control arrays by index the way
// every part of the program names them: txt(16) is the engine number.
class EntryScreen : public QObject {
    Q_OBJECT
public:
    static constexpr int kTxtCount = 135;
    static constexpr int kDateCount = 8;
    static constexpr int kChkCount = 11;
    static constexpr int kOptFirst = 11;
    static constexpr int kOptLast = 26;
    static constexpr int kPairCount = 6;
    // Owner n (1 to 3) uses the text boxes from its base index on.
    static constexpr int ownerBase(int n) { return 40 + 27 * (n - 1); }

    // Builds every input onto window, which must be 1008 x 682 pixels.
    explicit EntryScreen(QWidget *window);
    ~EntryScreen() override;

    TextBox *txt(int i) const;
    platform::DateGrid *sprTarih(int i) const;
    QComboBox *cmbX(int i) const;
    QRadioButton *optX(int i) const;
    QCheckBox *chkX(int i) const;
    QRadioButton *OptA(int i) const { return pair(optA_, i); }
    QRadioButton *optC(int i) const { return pair(optC_, i); }
    QRadioButton *optAdres(int i) const { return pair(optAdres_, i); }
    QRadioButton *optTel(int i) const { return pair(optTel_, i); }
    // Indices that exist in cmbX.
    static const QVector<int> &comboIndices();

    QTabWidget *sTabber() const { return tabber_; }
    QWidget *frmARA() const { return frmARA_; }
    QWidget *FrmYazdir() const { return frmYazdir_; }
    QWidget *Frame5() const { return frame5_; }
    QPushButton *cmdBUL() const { return cmdBUL_; }
    QPushButton *newRec() const { return newRec_; }
    QTableView *sprX() const { return sprX_; }
    QLineEdit *txtara(int i) const { return txtara_.at(size_t(i)); }
    QPushButton *btnCancel() const { return btnCancel_; }
    QPushButton *XPButton3() const { return xpButton3_; }
    QPushButton *XPButton6() const { return xpButton6_; }
    QPushButton *XPButton7() const { return xpButton7_; }
    QPushButton *XPButton8() const { return xpButton8_; }

    // The widgets in focus order, as their order keys sort them.
    QVector<QWidget *> focusOrder() const;
    int orderKey(QWidget *w) const;

    // Overlay lock: showing any overlay disables the tabs, hiding any enables them.
    void showOverlay(QWidget *frame);
    // Controls that stay above every overlay (the right-hand buttons).
    void keepAboveOverlays(const QVector<QWidget *> &controls) { aboveOverlays_ = controls; }
    void hideOverlay(QWidget *frame);

    void FormuHazirla();
    void EkraniTemizle();
    void AracDoldur();
    void ModelDoldur();
    // The brand box left: a whole brand typed lists its models.
    void brandTyped();
    // "Yeni Kayıt": clear, then the cursor into the old plate's first box.
    void newRecord();
    // The marks on doubtful values.
    TypingGuards &guards() const { return *guards_; }
    // Length marks on the boxes (full, cut on the form) and their notices.
    BoxMarks &marks() const { return *marks_; }
    // The save of the record last loaded here or saved from here, so a save
    // can tell whether another desk saved that record since.
    const SaveStamp &shownSave() const { return shownSave_; }
    void setShownSave(const SaveStamp &stamp) { shownSave_ = stamp; }
    // Whether the screen holds typing not in the store: it differs from what
    // it showed when last loaded, saved, cleared or started afresh.
    bool hasUnsavedTyping() const;
    // The screen as it stands is what the store (or a fresh window) holds.
    void settle();
    // Asks before typing not yet saved is thrown away by what (a sentence
    // such as "Yeni kayda geçilirse"); true when nothing is unsaved or the
    // clerk agrees. The default answer keeps the typing.
    bool mayDiscardTyping(const QString &what);
    // The former owners of the record shown, a line each: kept in the store,
    // never in a panel, named by a button beside the tabs.
    void setFormerOwners(const QStringList &lines);
    const QStringList &formerOwners() const { return formerOwners_; }
    QPushButton *formerOwnersButton() const { return formerButton_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class ScreenBuilder;
    SaveStamp shownSave_;
    QString modelsFor_; // the brand key the model list was filled for
    QStringList formerOwners_;
    QStringList settled_;
    QPushButton *formerButton_ = nullptr;
    static QRadioButton *pair(const std::array<QRadioButton *, kPairCount> &a, int i);
    void buildVehicleTab(QWidget *page);
    void buildOwnerTab(QWidget *page);
    void buildOwnerPanel(QWidget *page, int owner);
    void buildOverlays(QWidget *window);
    void applyFocusOrder();
    void watchLengths();
    void frameButtons(QPushButton *print, QPushButton *cancel, int order);
    void setOrder(QWidget *w, int key);
    // Shows a tab with the cursor in its first box (Alt+A, Alt+K).
    void goToTab(int tab);

    QWidget *window_;
    QTabWidget *tabber_ = nullptr;
    std::array<TextBox *, kTxtCount> txt_ {};
    std::array<platform::DateGrid *, kDateCount> spr_ {};
    std::map<int, QComboBox *> cmb_;
    std::array<QRadioButton *, kOptLast + 1> opt_ {};
    std::array<QCheckBox *, kChkCount> chk_ {};
    std::array<QRadioButton *, kPairCount> optA_ {}, optC_ {}, optAdres_ {}, optTel_ {};
    QWidget *frmARA_ = nullptr;
    QWidget *frmYazdir_ = nullptr;
    QWidget *frame5_ = nullptr;
    QPushButton *cmdBUL_ = nullptr;
    QPushButton *newRec_ = nullptr;
    QTableView *sprX_ = nullptr;
    std::array<QLineEdit *, 5> txtara_ {};
    QPushButton *btnCancel_ = nullptr;
    QPushButton *xpButton3_ = nullptr, *xpButton6_ = nullptr, *xpButton7_ = nullptr,
                *xpButton8_ = nullptr;
    std::multimap<int, QWidget *> order_;
    QVector<QWidget *> aboveOverlays_;
    QPointer<QWidget> lastInput_;
    EntryBehaviour *behaviour_ = nullptr;
    TypingGuards *guards_ = nullptr;
    BoxMarks *marks_ = nullptr;
};

} // namespace records
