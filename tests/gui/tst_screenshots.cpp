// Saves pictures of the windows for the README when VYPISKA_SCREENSHOTS names a folder;
// otherwise there is nothing to do. scripts/screenshots runs it.
#include "app/Form1.h"
#include "settings/INIStorage.h"
#include "settings/OptionsDlg.h"
#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FormAbout.h"
#include "text/TextCoder.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

class TestScreenshots : public QObject {
    Q_OBJECT
private slots:
    void windows();
};

void TestScreenshots::windows() {
    const QString out = qEnvironmentVariable("VYPISKA_SCREENSHOTS");
    if (out.isEmpty()) QSKIP("VYPISKA_SCREENSHOTS is not set");
    QVERIFY(QDir().mkpath(out));
    QApplication::setFont(UiFont());

    QTemporaryDir dir;
    const QString config = dir.filePath("CONFIG") + "/";
    QDir().mkpath(config);
    for (const QString& name : QDir(VYPISKA_SOURCE_CONFIG).entryList(QDir::Files)) {
        QVERIFY(QFile::copy(QDir(VYPISKA_SOURCE_CONFIG).filePath(name), config + name));
    }
    TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
    INIStorage settings(config);
    Form1 form(coder, settings, config);
    form.resize(905, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<QLineEdit*>("TxtFileIn")->setText(QDir(VYPISKA_SAMPLES).filePath("folder"));
    QTRY_VERIFY(!form.Table().Rows.empty() && !form.IsReading());
    auto* list = form.findChild<QTableView*>("List");
    QHeaderView* header = list->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + header->sectionSize(2) / 2,
                             header->height() / 2));
    list->setFocus();
    list->selectRow(1);
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::qWait(50);
    QVERIFY(form.grab().save(QDir(out).filePath("main-window.png")));

    OptionsDlg options(settings, &form);
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    QVERIFY(options.grab().save(QDir(out).filePath("options.png")));
    options.close();

    FormAbout about(LogoPixmap(), &form);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QVERIFY(about.grab().save(QDir(out).filePath("about.png")));
}

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
