// Saves pictures of the windows for the README when VYPISKA_SCREENSHOTS names a folder;
// otherwise there is nothing to do. scripts/screenshots runs it.
#include "app/Form1.h"
#include "settings/INIStorage.h"
#include "settings/OptionsDlg.h"
#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/FormAbout.h"
#include "text/TextCoder.h"

#include <QtTest>
#include <QtWidgets>

class TestScreenshots : public QObject {
    Q_OBJECT
private slots:
    void windows() {
        if (qEnvironmentVariable("VYPISKA_SCREENSHOTS").isEmpty())
            QSKIP("VYPISKA_SCREENSHOTS is not set");
        const QDir out(qEnvironmentVariable("VYPISKA_SCREENSHOTS"));
        QVERIFY(QDir().mkpath(out.path()));
        QApplication::setFont(UiFont());
        QTemporaryDir dir;
        const QString config = dir.filePath("CONFIG") + "/";
        const QDir source(VYPISKA_SOURCE_CONFIG);
        QDir().mkpath(config);
        for (const QString& name : source.entryList(QDir::Files))
            QVERIFY(QFile::copy(source.filePath(name), config + name));
        TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        INIStorage settings(config);
        Form1 form(coder, settings, config);
        form.resize(905, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.findChild<QLineEdit*>("TxtFileIn")->setText(QDir(VYPISKA_SAMPLES).filePath("folder"));
        QTRY_VERIFY(!form.Table().Rows.empty() && !form.IsReading());
        auto* list = form.findChild<QTableView*>("List");
        emit list->horizontalHeader()->sectionClicked(2); // sorted by amount
        list->setFocus();
        list->selectRow(1);
        list->setCurrentIndex(list->model()->index(1, 0));
        QTest::qWait(50);
        QVERIFY(form.grab().save(out.filePath("main-window.png")));
        OptionsDlg options(settings, &form);
        FormAbout about(LogoPixmap(), &form);
        for (const auto& [window, name] :
             {std::pair<QWidget*, const char*>{&options, "options.png"}, {&about, "about.png"}}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QVERIFY(window->grab().save(out.filePath(name)));
            window->close();
        }
    }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
