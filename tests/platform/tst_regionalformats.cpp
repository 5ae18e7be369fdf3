#include "platform/regionalformats.h"

#include <QApplication>
#include <QFile>
#include <QFileSystemModel>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The file dialog of a clerk whose desktop is set to English: its dates read
// in Turkish, as every other date of the program.
class TestRegionalFormats : public QObject {
    Q_OBJECT
private slots:
    void theFileDialogShowsTurkishDates()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("ek1.pdf")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QFileSystemModel model;
        QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
        const QModelIndex folder = model.setRootPath(dir.path());
        QVERIFY(loaded.wait(5000) || model.rowCount(folder) > 0);
        QTRY_COMPARE(model.rowCount(folder), 1);
        const QModelIndex date = model.index(0, 3, folder);
        const QDateTime modified = QFileInfo(file).lastModified();
        QCOMPARE(model.data(date).toString(),
            QLocale(QLocale::Turkish, QLocale::Turkey).toString(modified, QLocale::ShortFormat));
    }
};

int main(int argc, char **argv)
{
    // An English desktop, as the clerk's machine had.
    qunsetenv("LC_ALL");
    qputenv("LANG", "en_US.UTF-8");
    qputenv("LC_TIME", "en_US.UTF-8");
    platform::preferTurkishDates();
    QApplication application(argc, argv);
    TestRegionalFormats test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_regionalformats.moc"
