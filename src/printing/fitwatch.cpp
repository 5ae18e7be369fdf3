#include "fitwatch.h"

#include "forms.h"
#include "platform/reportfit.h"
#include "records/boxmarks.h"
#include "records/entryscreen.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <map>

namespace printing {

namespace {

struct Verdict {
    QString form;
    int fits = 0;
};

QString formTitle(const QString &reportName)
{
    if (reportName == QLatin1String("ar_Trafik"))
        return QStringLiteral("EK-1 ön sayfa");
    if (reportName == QLatin1String("ar_TrafikArka"))
        return QStringLiteral("EK-1 arka sayfa");
    return QStringLiteral("EK-9");
}

} // namespace

int charactersThatFit(const platform::ReportField &field)
{
    // Fitting only grows harder with length: the longest start that is not cut.
    platform::ReportField probe = field;
    int low = 0;
    int high = int(field.text.size());
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        probe.text = field.text.left(mid);
        probe.fit.reset();
        if (platform::fitOf(probe).cut)
            high = mid - 1;
        else
            low = mid;
    }
    return low;
}

FitWatch::FitWatch(records::EntryScreen &screen, QObject *parent)
    : QObject(parent)
    , screen_(screen)
{
    forms_.push_back(std::make_unique<ArTrafik>(screen));
    forms_.push_back(std::make_unique<ArTrafikArka>(screen));
    forms_.push_back(std::make_unique<ArEk9>(screen));
    timer_.setSingleShot(true);
    timer_.setInterval(300);
    connect(&timer_, &QTimer::timeout, this, &FitWatch::checkNow);
    for (int i = 0; i < records::EntryScreen::kTxtCount; ++i) {
        QWidget *w = screen.txt(i)->widget();
        if (auto *line = qobject_cast<QLineEdit *>(w))
            connect(line, &QLineEdit::textChanged, &timer_, qOverload<>(&QTimer::start));
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            connect(memo, &QPlainTextEdit::textChanged, &timer_, qOverload<>(&QTimer::start));
    }
}

FitWatch::~FitWatch() = default;

void FitWatch::checkNow()
{
    timer_.stop();
    // The tightest verdict of every box some form cuts.
    std::map<QWidget *, Verdict> cut;
    for (const auto &form : forms_) {
        form->fill();
        for (const platform::ReportField &f : std::as_const(form->fields)) {
            auto *box = qobject_cast<QWidget *>(const_cast<QObject *>(f.source));
            if (!box || f.text.isEmpty() || !platform::fitOf(f).cut)
                continue;
            const int fits = charactersThatFit(f);
            const auto it = cut.find(box);
            if (it == cut.end() || fits < it->second.fits)
                cut[box] = { formTitle(form->name), fits };
        }
    }
    records::BoxMarks &marks = screen_.marks();
    for (QWidget *box : std::set<QWidget *>(marked_)) {
        if (!cut.count(box)) {
            marks.set(box, records::BoxMarks::Kind::CutOnForm, QString());
            marked_.erase(box);
        }
    }
    for (const auto &[box, verdict] : cut) {
        marks.set(box, records::BoxMarks::Kind::CutOnForm,
            QStringLiteral("%1 formunda sığmayacak, kesilecek: kutusuna en küçük yazıyla "
                           "yaklaşık %2 karakter sığar. Kısaltarak yazın (örneğin \"LİMİTED "
                           "ŞİRKETİ\" yerine \"LTD. ŞTİ.\").")
                .arg(verdict.form)
                .arg(verdict.fits));
        marked_.insert(box);
    }
}

} // namespace printing
