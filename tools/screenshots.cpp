// Saves pictures of the windows for the README into the folder VYPISKA_SCREENSHOTS names;
// without it there is nothing to do. scripts/screenshots runs it.
#include "../tests/TestFiles.h"
#include "app/Form1.h"
#include "app/OptionsDlg.h"
#include "app/RegisterPrintDlg.h"
#include "journal/Journal.h"
#include "journal/JournalSave.h"
#include "settings/INIStorage.h"
#include "shell/AppInfo.h"
#include "shell/AppResources.h"
#include "shell/AppStartup.h"
#include "shell/FormAbout.h"
#include "text/TextCoder.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {
// Copies the files of a folder into another, made when missing.
bool CopyFiles(const QDir& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : from.entryList(QDir::Files))
        if (!QFile::copy(from.filePath(name), QDir(to).filePath(name))) return false;
    return true;
}

// The settings and the samples copied into a temporary folder of their own.
struct SampleFolders {
    QTemporaryDir Dir;
    QString Config = Dir.filePath("CONFIG") + "/";
    QString Docs = Dir.filePath("docs") + "/";
    bool Copied = CopyFiles(QDir(VYPISKA_SOURCE_CONFIG), Config) &&
                  CopyFiles(QDir(QDir(VYPISKA_SAMPLES).filePath("folder")), Docs);
};
} // namespace

class TestScreenshots : public QObject {
    Q_OBJECT
    // Shows the window at the pictures' size and reads the source into it.
    void ShowAndRead(Form1& form, const QString& source) {
        form.resize(905, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.findChild<QLineEdit*>("TxtFileIn")->setText(source);
        QTRY_VERIFY(!form.Table().Rows.empty() && !form.IsReading());
    }

    // The window with one cell's tooltip: a window of its own, drawn onto the picture where it
    // stands.
    void SaveWithTip(QWidget& form, QTableView* list, const QModelIndex& cell, const QString& file) {
        const QPoint at = list->viewport()->mapToGlobal(list->visualRect(cell).center());
        QToolTip::showText(at, list->model()->data(cell, Qt::ToolTipRole).toString(), list);
        QWidget* tip = nullptr;
        QTRY_VERIFY((tip = QApplication::topLevelAt(at + QPoint(20, 20))) != nullptr &&
                    tip->inherits("QTipLabel"));
        QPixmap picture = form.grab();
        {
            QPainter painter(&picture);
            painter.drawPixmap(tip->pos() - form.mapToGlobal(QPoint(0, 0)), tip->grab());
        }
        QToolTip::hideText();
        QVERIFY(picture.save(file));
    }

    // The save dialog as it opens, then with an existing name chosen: Qt's own question over it.
    void SaveDialogPictures(QWidget& form, const QDir& out) {
        QFileDialog* dialog = nullptr;
        QPixmap picture;
        int step = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (step == 0 && (dialog = qobject_cast<QFileDialog*>(modal))) {
                dialog->resize(760, 460);
                step = 1;
            } else if (step == 1) {
                QVERIFY(dialog->grab().save(out.filePath("save-dialog.png")));
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText("2024-03.txt");
                step = 2;
                // Asks about the existing file first; queued, so that this timer goes on meanwhile.
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal); step == 2 && box) {
                picture = dialog->grab();
                QPainter painter(&picture);
                const QPixmap question = box->grab();
                painter.drawPixmap((picture.width() - question.width()) / 2,
                                   (picture.height() - question.height()) / 2, question);
                painter.end();
                QVERIFY(picture.save(out.filePath("save-overwrite.png")));
                step = 3;
                box->reject();
            } else if (step == 3 && modal == dialog) {
                step = 4;
                dialog->reject();
            }
        });
        poll.start(50);
        form.findChild<QToolButton*>("CommandSaveAs")->click();
        QCOMPARE(step, 4);
    }

    // Where the pictures go; without it the maker runs as a test that skips.
    const QDir out{qEnvironmentVariable("VYPISKA_SCREENSHOTS")};

private slots:
    void initTestCase() {
        if (qEnvironmentVariable("VYPISKA_SCREENSHOTS").isEmpty())
            QSKIP("VYPISKA_SCREENSHOTS is not set");
        QVERIFY(QDir().mkpath(out.path()));
        QApplication::setFont(UiFont());
    }

    void windows() {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
        QTemporaryDir dir;
        const QString config = dir.filePath("CONFIG") + "/";
        QVERIFY(CopyFiles(QDir(VYPISKA_SOURCE_CONFIG), config));
        TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        INIStorage settings(config);
        // Statements saved before, where the save dialog starts; the account is one digit short.
        const QString statements = dir.filePath(u"Выписки"_s);
        QDir().mkpath(statements);
        for (const char* name : {"2024-01.txt", "2024-02.txt", "2024-03.txt"})
            QFile(statements + "/" + name).open(QIODevice::WriteOnly);
        settings.WriteVal(User, u"LastSaveFolder"_s, statements);
        settings.WriteVal(Organization, u"Name"_s, u"ООО «Северный ветер»"_s);
        settings.WriteVal(Organization, u"INN"_s, u"7714982130"_s);
        settings.WriteVal(Organization, u"ACC"_s, u"4070281090000001234"_s);
        settings.WriteVal(Organization, u"Director"_s, u"Соколов П. Н."_s);
        settings.WriteVal(Organization, u"ChiefAccountant"_s, u"Лебедева О. В."_s);
        // The samples from a folder of their own: the picture shows no path of this machine.
        const QString docs = dir.filePath(u"Документы"_s) + "/";
        QVERIFY(CopyFiles(QDir(QDir(VYPISKA_SAMPLES).filePath("folder")), docs));
        Form1 form(coder, settings, config);
        ShowAndRead(form, QDir::toNativeSeparators(docs));
        auto* list = form.findChild<QTableView*>("List");
        emit list->horizontalHeader()->sectionClicked(2); // sorted by amount
        list->setFocus();
        list->selectRow(1);
        list->setCurrentIndex(list->model()->index(1, 0));
        QTest::qWait(50);
        QVERIFY(form.grab().save(out.filePath("main-window.png")));
        // The filter: the treasury's payments, the totals saying what is shown and what hidden.
        auto* filter = form.findChild<QLineEdit*>("FilterEdit");
        filter->setText(u"уфк"_s);
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::qWait(50);
        QVERIFY(form.grab().save(out.filePath("filter.png")));
        filter->clear();
        SaveDialogPictures(form, out);
        // A save under way: the status line's progress bar and its stop button.
        QPixmap saving;
        const auto shown = connect(form.findChild<QProgressBar*>("ReadProgress"),
                                   &QProgressBar::valueChanged, &form, [&] {
                                       if (saving.isNull()) saving = form.grab();
                                   });
        QVERIFY(form.SaveTo(statements + u"/2024-04.txt"_s, 0));
        disconnect(shown);
        QVERIFY(!saving.isNull() && saving.save(out.filePath("save-progress.png")));
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

    // The checks on the samples (one ИНН mistyped, one payment listed twice): the tinted
    // cell with its tooltip, the totals beside the status line, and the preview.
    void checks() {
        const SampleFolders folders;
        QVERIFY(folders.Copied);
        const QString &config = folders.Config, &docs = folders.Docs;
        TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        INIStorage settings(config);
        Form1 form(coder, settings, config);
        ShowAndRead(form, QDir::toNativeSeparators(docs));
        auto* list = form.findChild<QTableView*>("List");
        int row = 0;
        while (!form.Table().Rows[row].SourcePath.endsWith("pp-0013.xml"))
            ++row;
        list->model()->setData(list->model()->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
        const QModelIndex inn = list->model()->index(row, 4);
        list->scrollTo(inn);
        // Current without being selected: the grid shows the document, the tint stays visible.
        list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                                QItemSelectionModel::NoUpdate);
        QTest::qWait(50);
        SaveWithTip(form, list, inn, out.filePath("checks.png"));

        // The problems list in its tab on one kind, with the counts of the kinds, of the rows
        // shown and of all beside the status line.
        auto* tabs = form.findChild<QTabWidget*>("DetailTabs");
        tabs->setCurrentIndex(1);
        auto* kinds = form.findChild<QComboBox*>("ProblemsKind");
        kinds->setCurrentIndex(kinds->findText(u"повтор"_s, Qt::MatchStartsWith));
        QTest::qWait(50);
        QVERIFY(form.grab().save(out.filePath("problems.png")));
        kinds->setCurrentIndex(0);
        tabs->setCurrentIndex(0);

        // The one question before saving, over the window.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QPixmap asked;
        bool named = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(modal); files && !named) {
                named = true;
                files->findChild<QLineEdit*>("fileNameEdit")->setText(docs + "2024-04.txt");
                QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && asked.isNull()) {
                asked = form.grab();
                QPainter painter(&asked);
                const QPixmap question = box->grab();
                painter.drawPixmap((asked.width() - question.width()) / 2,
                                   (asked.height() - question.height()) / 2, question);
                painter.end();
                box->reject();
            }
        });
        poll.start(50);
        form.findChild<QToolButton*>("CommandSaveAs")->click();
        poll.stop();
        QVERIFY(!asked.isNull() && asked.save(out.filePath("save-question.png")));

        QTimer::singleShot(300, [&] {
            QWidget* preview = QApplication::activeModalWidget();
            QVERIFY(preview && preview->grab().save(out.filePath("preview.png")));
            preview->close();
        });
        form.ShowPreview();
    }

    // The list after yesterday's statement took five of the samples: their marks in the first
    // column (beside a duplicate's), one's tooltip, "Отметить только новые" beside the filters.
    void journal() {
        const SampleFolders folders;
        QVERIFY(folders.Copied);
        const QString &config = folders.Config, &docs = folders.Docs;
        TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        INIStorage settings(config);
        {
            Form1 first(coder, settings, config);
            ShowAndRead(first, QDir::toNativeSeparators(docs));
            DocumentTable sent = first.Table();
            for (size_t r = 0; r < sent.Rows.size(); ++r)
                sent.Rows[r].Checked =
                    r % 3 == 1 || sent.Rows[r].SourcePath.endsWith(u"pp-0002.xml"_s);
            Journal journal({JournalPlace::Kind::Sqlite, config + "journal.sqlite", config});
            JournalStatement statement;
            statement.File = folders.Dir.filePath("Выписка_0308.txt");
            statement.Time = QDateTime::currentDateTimeUtc().addDays(-1);
            QVERIFY(journal.Confirm(journal.AddPending(statement, JournalDocuments(sent))));
        }
        Form1 form(coder, settings, config);
        ShowAndRead(form, QDir::toNativeSeparators(docs));
        auto* list = form.findChild<QTableView*>("List");
        SaveWithTip(form, list, list->model()->index(1, 0), out.filePath("journal.png"));
    }

    // The printed register of the samples in its preview, with the organisation set.
    void registerPrint() {
        const SampleFolders folders;
        QVERIFY(folders.Copied);
        const QString &config = folders.Config, &docs = folders.Docs;
        TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        INIStorage settings(config);
        settings.WriteVal(Organization, "Name", u"ООО \"Север\""_s);
        settings.WriteVal(Organization, "INN", u"7714982130"_s);
        settings.WriteVal(Organization, "ACC", u"40702810600000012345"_s);
        settings.WriteVal(Organization, "Director", u"Соколов П. Н."_s);
        settings.WriteVal(Organization, "ChiefAccountant", u"Лебедева О. В."_s);
        Form1 form(coder, settings, config);
        ShowAndRead(form, QDir::toNativeSeparators(docs));
        RegisterPrintDlg print(form.Table(), settings, docs, {}, &form);
        print.resize(1000, 720);
        print.show();
        QVERIFY(QTest::qWaitForWindowExposed(&print));
        QTRY_VERIFY(print.PageCount() > 0);
        QTest::qWait(300);
        QVERIFY(print.grab().save(out.filePath("register-print.png")));
    }
};

QTEST_MAIN(TestScreenshots)
#include "screenshots.moc"
