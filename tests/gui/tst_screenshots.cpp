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

    // The checks on the samples with one ИНН mistyped and one payment listed twice: the tinted
    // cell with its tooltip, the totals beside the status line, and the preview.
    void checks() {
        if (qEnvironmentVariable("VYPISKA_SCREENSHOTS").isEmpty())
            QSKIP("VYPISKA_SCREENSHOTS is not set");
        const QDir out(qEnvironmentVariable("VYPISKA_SCREENSHOTS"));
        QApplication::setFont(UiFont());
        QTemporaryDir dir;
        const QString config = dir.filePath("CONFIG") + "/", docs = dir.filePath("docs") + "/";
        const QDir source(VYPISKA_SOURCE_CONFIG), samples(QDir(VYPISKA_SAMPLES).filePath("folder"));
        QDir().mkpath(config), QDir().mkpath(docs);
        for (const QString& name : source.entryList(QDir::Files))
            QVERIFY(QFile::copy(source.filePath(name), config + name));
        for (const QString& name : samples.entryList(QDir::Files))
            QVERIFY(QFile::copy(samples.filePath(name), docs + name));
        QVERIFY(QFile::copy(samples.filePath("pp-0002.xml"), docs + "pp-0002 (копия).xml"));
        QFile typo(docs + "pp-0003.xml");
        QVERIFY(typo.open(QIODevice::ReadOnly));
        const QByteArray text =
            typo.readAll().replace("<PlatelshikINN>7714982130", "<PlatelshikINN>7714982131");
        typo.close();
        QVERIFY(typo.open(QIODevice::WriteOnly | QIODevice::Truncate) && typo.write(text) > 0);
        typo.close();

        TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        INIStorage settings(config);
        Form1 form(coder, settings, config);
        form.resize(905, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.findChild<QLineEdit*>("TxtFileIn")->setText(QDir::toNativeSeparators(docs));
        QTRY_VERIFY(!form.Table().Rows.empty() && !form.IsReading());
        auto* list = form.findChild<QTableView*>("List");
        int row = 0;
        while (!form.Table().Rows[row].SourcePath.endsWith("pp-0003.xml"))
            ++row;
        list->model()->setData(list->model()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
        const QModelIndex inn = list->model()->index(row, 4);
        list->scrollTo(inn);
        // Current without being selected: the grid shows the document, the tint stays visible.
        list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                                QItemSelectionModel::NoUpdate);
        QTest::qWait(50);
        // The tooltip is a window of its own: drawn onto the picture where it stands.
        const QPoint at = list->viewport()->mapToGlobal(list->visualRect(inn).center());
        QToolTip::showText(at, list->model()->data(inn, Qt::ToolTipRole).toString(), list);
        QWidget* tip = nullptr;
        QTRY_VERIFY((tip = QApplication::topLevelAt(at + QPoint(20, 20))) != nullptr &&
                    tip->inherits("QTipLabel"));
        QPixmap picture = form.grab();
        {
            QPainter painter(&picture);
            painter.drawPixmap(tip->pos() - form.mapToGlobal(QPoint(0, 0)), tip->grab());
        }
        QToolTip::hideText();
        QVERIFY(picture.save(out.filePath("checks.png")));

        QTimer::singleShot(300, [&] {
            QWidget* preview = QApplication::activeModalWidget();
            QVERIFY(preview && preview->grab().save(out.filePath("preview.png")));
            preview->close();
        });
        form.ShowPreview();
    }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
