// The main window driven through its real widgets, offscreen, over a CONFIG of its own.
#include "../TestZip.h"
#include "WindowFixture.h"
#include "app/CheckAllHeader.h"
#include "app/RegisterPrintDlg.h"
#include "app/StatementCommands.h"
#include "reading/ArchiveWalk.h"


#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
const QColor Green(0, 128, 0), Red(192, 0, 0);
const QString Ready = u"Готов к работе ..."_s, One = u"Успешно прочитан 1 документ в '%1'"_s,
              None = u"Не найдено совместимых документов в '%1'"_s;
} // namespace

class TestForm1 : public QObject, WindowFixture {
    Q_OBJECT
    // Drops the paths on the widget as a file manager does; returns whether the drag was taken.
    bool Drop(QWidget* widget, const QStringList& paths) {
        QMimeData data;
        for (const QString& path : paths)
            data.setUrls(data.urls() << QUrl::fromLocalFile(path));
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &drop);
        return enter.isAccepted();
    }
    // Chooses the path in the dialog of the open menu's item (an empty path cancels it); returns
    // the dialog's name filters.
    QStringList Open(const QString& item, const QString& path) {
        QStringList filters;
        if (!WithModal<QFileDialog>([&] { Find<QAction>(item)->trigger(); },
                                    [&](auto* d) { filters = d->nameFilters(), Choose(d, path); }))
            qWarning("no dialog");
        return filters;
    }

private slots:
    void init() {
        MakeFolder({{"TAG.INI", "Номер = Номер;Nomer|Дата = Дата;Data|Сумма = Сумма;Summa|"
                                "Получатель = Получатель;Payee|"},
                    {"Выписка.txt.tpl", "<header>|TXT {MakeDate} {MakeTime}|</header>|<document>|"
                                        "{Nomer};{Summa}|</document>|<footer>|END|</footer>|"},
                    {"Таблица.csv.tpl", "<header>|CSV|</header>|<document>|{Nomer}|</document>|"}},
                   {"Nomer", "Data", "Summa", "Payee"});
    }

    void startUp() {
        MakeForm();
        QCOMPARE(Status(), u"Готов к работе ..."_s);
        QVERIFY(!Find<QToolButton>("CommandSaveAs")->isEnabled());
        QVERIFY(!Find<QTableWidget>("Grid1")->isEnabled());
        QCOMPARE(Find<QTableWidget>("Grid1")->rowCount(), 4); // one row per column of TAG.INI
        const auto picked = Find<QDateTimeEdit>("DTPicker1")->dateTime();
        QVERIFY(qAbs(picked.secsTo(QDateTime::currentDateTime())) < 120); // now, time kept
    }

    // The bare band above the source box moves the window where the system cannot; a press
    // anywhere else moves nothing.
    void dragBand_data() {
        QTest::addColumn<int>("y"); // from the source box's top, in the client
        QTest::addColumn<bool>("moves");
        QTest::newRow("in the band") << -4 << true;
        QTest::newRow("on the source box") << 2 << false;
        QTest::newRow("below it") << 60 << false;
    }
    void dragBand() {
        QFETCH(int, y);
        QFETCH(bool, moves);
        MakeForm();
        if (m_form->windowHandle()->startSystemMove()) QSKIP("the system moves the window");
        auto* client = Find<QWidget>("Client");
        const QPoint start(300, Find<QLineEdit>("TxtFileIn")->geometry().top() + y);
        const QPoint before = m_form->pos();
        QTest::mousePress(client, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(30, 20)),
                         client->mapToGlobal(QPointF(start + QPoint(30, 20))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(client, &move);
        QTest::mouseRelease(client, Qt::LeftButton, {}, start + QPoint(30, 20));
        QCOMPARE(m_form->pos() - before, moves ? QPoint(30, 20) : QPoint());
    }

    // A settings file or template that is no regular file is never opened: the window comes up
    // and names it; the defaults stand in for CONFIG.INI and USER.INI (a USER.INI that cannot be
    // written is said once), nothing is read without TAG.INI, and the save dialog leaves the
    // template out.
    void hostileSettingsFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind"); // "pipe" or "link to /dev/zero"
        QTest::newRow("CONFIG.INI, pipe") << "CONFIG.INI" << "pipe";
        QTest::newRow("USER.INI, pipe") << "USER.INI" << "pipe";
        QTest::newRow("TAG.INI, link to /dev/zero") << "TAG.INI" << "link to /dev/zero";
        QTest::newRow("template, pipe") << "Выписка.txt.tpl" << "pipe";
    }
    void hostileSettingsFiles() {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        const QString path = m_config + file;
        QFile::remove(path);
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link("/dev/zero", path));
        MakeForm();
        QVERIFY2(Problems().contains(file), qPrintable(Problems()));
        const QString unsaved = u"Настройки не сохраняются"_s;
        ReadSource(Folder("docs", {"1;2024-03-05;10"}));
        if (file == "TAG.INI") {
            QVERIFY(Status().contains(path) && StatusColour() == Red);
            QVERIFY(m_form->Table().Rows.empty());
            return;
        }
        QCOMPARE(m_form->Table().Rows.size(), size_t(1));
        QCOMPARE(Problems().contains(unsaved), file == "USER.INI");
        ReadSource(Path("docs/doc0000.xml"));
        QVERIFY(!Problems().contains(unsaved)); // once
        QStringList filters;
        WithModal<QFileDialog>([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                               [&](auto* d) { filters = d->nameFilters(), Choose(d, {}); });
        QCOMPARE(filters.contains(u"Выписка (*.txt)"_s), !file.endsWith(".tpl"));
    }

    // "1", also written "1.0", checks the item; anything else does not. A click stores at once.
    void openAfterSave() {
        for (const auto& [value, checked] :
             {std::pair{"1", true}, {"1.0", true}, {"2", false}, {"yes", false}, {"", false}}) {
            QFile::remove(m_config + "USER.INI");
            if (*value)
                WriteFile(m_config + "USER.INI", "[User]\r\nGotoAfterSave=" + QByteArray(value));
            MakeForm();
            QVERIFY2(Find<QAction>("mnuOpenAfter")->isChecked() == checked, value);
            Find<QAction>("mnuOpenAfter")->trigger();
            QCOMPARE(m_settings->ReadVal(User, "GotoAfterSave", 0).toString(), checked ? "0" : "1");
        }
    }

    // A source typed into the box, dropped on the box or the list, or picked in an open dialog;
    // rows is what the list shows after the read, -1 when the source is not taken.
    void sources_data() {
        AddColumns<QString, QStringList, int>({"how", "names", "rows"});
        QTest::newRow("typed folder") << "type" << QStringList{"docs"} << 3;
        QTest::newRow("typed other extension") << "type" << QStringList{"doc.txt"} << 0;
        QTest::newRow("archive on the list") << "List" << QStringList{"a.ZIP"} << 1;
        QTest::newRow("other extension dropped") << "TxtFileIn" << QStringList{"doc.txt"} << -1;
        QTest::newRow("only the first counts") << "List" << QStringList{"doc.txt", "a.ZIP"} << -1;
        QTest::newRow("file dialog") << "mnuOpenFile" << QStringList{"ONE.XML"} << 1;
        QTest::newRow("folder dialog") << "mnuOpenFolder" << QStringList{"docs"} << 3;
        QTest::newRow("dialog cancelled") << "mnuOpenFile" << QStringList{} << -1;
    }
    void sources() {
        QFETCH(QString, how);
        QFETCH(QStringList, names);
        QFETCH(int, rows);
        // A document without an amount is not listed; problems never reach the status text.
        Folder("docs",
               {"1;2024-03-05;100.5", "2;2024-03-06;20", "3;2024-03-07;3", "9;2024-03-05;"});
        QVERIFY(WriteTestZip(Path("docs.zip"), {{"a.xml", Doc("7;2024-01-01;5")}, {"b.txt", "-"}}));
        QVERIFY(QFile::copy(Path("docs.zip"), Path("a.ZIP")));
        WriteFile(Path("ONE.XML"), Doc("1;2024-01-01;5"));
        WriteFile(Path("doc.txt"), Doc("1;2024-01-01;5"));
        MakeForm();
        // Read first from where nothing is found, so that the colour has to change.
        const QString empty = Folder("empty", {}), path = Path(names.value(0));
        ReadSource(empty);
        QCOMPARE(Status(), None.arg(empty));
        QCOMPARE(StatusColour(), Red);
        auto* box = Find<QLineEdit>("TxtFileIn");
        auto* list = Find<QTableView>("List");
        if (how == "type") box->setText(path);
        if (how.startsWith("mnu")) {
            const QStringList filters = Open(how, names.isEmpty() ? "" : path);
            if (how == "mnuOpenFile") QCOMPARE(filters, QStringList{"*.xml; *.zip (*.xml *.zip)"});
        } else if (how != "type") {
            QStringList paths;
            for (const QString& name : names)
                paths << Path(name);
            QCOMPARE(Drop(how == "List" ? list->viewport() : box, paths), rows >= 0);
        }
        ReadSource(QString());
        QCOMPARE(box->text(), rows < 0 ? empty : path);
        if (rows < 0) return;
        // The file left out keeps the reading from passing for a whole one.
        QCOMPARE(Status(), (rows == 3 ? u"Прочитано 3 документа, пропущен 1 файл в '%1'"_s
                            : rows ? One
                                   : None)
                               .arg(path));
        QCOMPARE(StatusColour(), rows == 3 ? QColor(0xC0, 0x60, 0) : rows ? Green : Red);
        QCOMPARE(list->model()->rowCount(), rows);
        QCOMPARE(Find<QToolButton>("CommandSaveAs")->isEnabled(), rows > 0);
        QCOMPARE(qobject_cast<CheckAllHeader*>(list->horizontalHeader())->IsChecked(), rows > 0);
    }

    void sourceChosenDuringARunWaits() {
        const QString big = Folder("big", QStringList(400, "1;2024-03-05;1")),
                      small = Folder("small", {"1;2024-03-05;1"});
        MakeForm();
        auto* box = Find<QLineEdit>("TxtFileIn");
        // Chosen without the box's wait, so that the second comes while the first is read.
        const auto choose = [&](const QString& path) {
            box->setText(path);
            Find<QTimer>("ReadTimer")->start(0);
            QCoreApplication::processEvents();
        };
        choose(big);
        QTRY_VERIFY(m_form->IsReading());
        choose(small);
        QTRY_COMPARE(Status(), One.arg(small));
        ReadSource(QString());
        QCOMPARE(Status(), One.arg(small));
        QCOMPARE(m_form->Table().Rows.size(), std::size_t(1));
        // Closing while a read runs stops and waits for it; nothing arrives afterwards.
        box->setText(big);
        QTRY_VERIFY(m_form->IsReading() || m_form->Table().Rows.size() > 1);
        if (m_form->IsReading()) QVERIFY(!Find<QToolButton>("CommandSaveAs")->isEnabled());
        m_form.reset();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // Header clicks sort the table itself, and the next reading the same way; the grid follows
    // the current row.
    void theList() {
        MakeForm();
        auto* list = Find<QTableView>("List");
        auto* header = qobject_cast<CheckAllHeader*>(list->horizontalHeader());
        QAbstractItemModel* model = list->model();
        const auto click = [&](int section) {
            const int x = header->sectionViewportPosition(section) + header->sectionSize(section);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {x - 6, header->height() / 2});
        };
        const auto numbers = [&] {
            QStringList numbers;
            for (const DocumentRow& row : m_form->Table().Rows)
                numbers << row.DisplayText(0);
            return numbers.join(' ');
        };
        ReadSource(
            Folder("a", {"10;2024-03-05;300;Первый", "9;2024-01-05;1000;", "100;2023-12-31;2.5"}));
        // Numbers, formatted amounts and dates by value; a second click reverses, another
        // column starts ascending.
        for (const auto& [section, order, descending] :
             {std::tuple{0, "9 10 100", false}, {0, "100 10 9", true}, {2, "100 10 9", false},
              {1, "100 9 10", false}}) {
            click(section);
            QCOMPARE(numbers(), QString(order)); // the table itself is reordered
            QCOMPARE(header->sortIndicatorSection(), section);
            QCOMPARE(header->sortIndicatorOrder(),
                     descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
        // The 1st and 3rd rows shown are tinted; the stripes stay with positions, not documents,
        // also when a filter leaves the first document out.
        auto* search = Find<QLineEdit>("FilterEdit");
        for (const auto& [text, shown] : {std::pair{"2024", 2}, {"", 3}}) {
            search->setText(QString::fromUtf8(text));
            QTRY_COMPARE(model->rowCount(), shown);
            for (int r = 0; r < shown; ++r)
                QCOMPARE(model->index(r, 1).data(Qt::BackgroundRole).value<QColor>(),
                         r % 2 ? QColor() : QColor(238, 238, 238));
        }
        // The grid follows the current row; a missing value leaves its cell empty.
        auto* grid = Find<QTableWidget>("Grid1");
        const QPoint last = list->visualRect(model->index(2, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, last);
        QVERIFY(grid->isEnabled());
        QCOMPARE(grid->item(3, 1)->text(), u"Первый"_s);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(grid->item(0, 1)->text(), u"9"_s);
        QCOMPARE(grid->item(3, 1)->text(), QString());
        click(0); // the next read is sorted the same way
        ReadSource(Folder("b", {"30;2024-03-05;1", "4;2024-03-05;2", "100;2024-03-05;2"}));
        QCOMPARE(numbers(), u"4 30 100"_s);
        // No row of the new source is current: the grid shows no document of the old one.
        QVERIFY(!list->currentIndex().isValid());
        for (int r = 0; r < grid->rowCount(); ++r)
            QVERIFY(!grid->item(r, 1) || grid->item(r, 1)->text().isEmpty());
    }

    void datePickerDropsTimeOfUserDate() {
        MakeForm();
        auto* picker = Find<QDateTimeEdit>("DTPicker1");
        picker->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(14, 37)));
        QCOMPARE(picker->time(), QTime(0, 0)); // the window is visible: a set date is from 0:00
        // Typing a two-digit day is not disturbed by the time going to midnight.
        picker->setFocus();
        picker->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(picker, "17");
        QCOMPARE(picker->dateTime(), QDateTime(QDate(2024, 3, 17), QTime(0, 0)));
        // A time typed after the date stays.
        picker->setCurrentSection(QDateTimeEdit::HourSection);
        QTest::keyClick(picker, Qt::Key_Up);
        QCOMPARE(picker->dateTime(), QDateTime(QDate(2024, 3, 17), QTime(1, 0)));
    }

    void saving() {
        MakeForm();
        ReadSource(Folder("docs_2024", {"1;2024-03-05;10", "2;2024-03-05;20"}));
        Find<QAction>("mnuOpenAfter")->setChecked(false);
        // The suggested name has the extension of the type shown, and follows the type the user
        // picks; so does the extension added to a name typed without one.
        QStringList filters, suggested;
        const auto save = [&](const QString& typed) {
            return WithModal<QFileDialog>(
                [&] { Find<QToolButton>("CommandSaveAs")->click(); },
                [&](auto* d) {
                    filters = d->nameFilters();
                    suggested = QStringList{QFileInfo(d->selectedFiles().value(0)).fileName()};
                    QTest::keyClick(d->template findChild<QComboBox*>("fileTypeCombo"),
                                    Qt::Key_Down);
                    suggested << QFileInfo(d->selectedFiles().value(0)).fileName();
                    Choose(d, typed);
                });
        };
        QVERIFY(save(Path("report")));
        QCOMPARE(filters, QStringList({"Выписка (*.txt)", "Таблица (*.csv)",
                                       "Реестр Excel (*.xlsx)", "Реестр PDF (*.pdf)"}));
        QCOMPARE(suggested, QStringList({"2024.txt", "2024.csv"}));
        QCOMPARE(ReadFile(Path("report.csv")), "CSV\r\n1\r\n2\r\n");
        // A document read as the target is refused, in red, and stays as it was.
        const QString document = Path("docs_2024/doc0000.xml");
        const QByteArray kept = ReadFile(document);
        const QString refusal = u"Выписка не может заменить исходный файл '%1'"_s.arg(document);
        QVERIFY(!m_form->SaveTo(document, 0));
        QCOMPARE(StatusColour(), Red);
        QVERIFY(Problems().contains(refusal));
        QCOMPARE(ReadFile(document), kept);
        // The date picker's day and time reach the header.
        Find<QDateTimeEdit>("DTPicker1")->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
        QVERIFY(m_form->SaveTo(Path("second.txt"), 0));
        QCOMPARE(ReadFile(Path("second.txt")), "TXT 05.03.2024 00:00\r\n1;10\r\n2;20\r\nEND");
        // A failed write (here through a template without any block) is said, in red, with why.
        WriteFile(m_config + u"Выписка.txt.tpl"_s, "just text {Nomer}");
        QVERIFY(!m_form->SaveTo(Path("third.txt"), 0));
        QCOMPARE(Status(), u"Ошибка! Не удалось сохранить файл!"_s);
        QCOMPARE(StatusColour(), Red);
        QVERIFY(Problems().contains(u"Выписка.txt.tpl"_s) && !QFile::exists(Path("third.txt")));
        // Without templates an existing statement survives, and the command says where they go.
        for (const QString& name : {u"Выписка.txt.tpl"_s, u"Таблица.csv.tpl"_s})
            QVERIFY(QFile::remove(m_config + name));
        QVERIFY(!m_form->SaveTo(Path("report.csv"), 0));
        QCOMPARE(ReadFile(Path("report.csv")), "CSV\r\n1\r\n2\r\n");
        MakeForm(); // the templates are listed when the window opens
        ReadSource(Path("docs_2024"));
        QVERIFY(!WithModal<QDialog>([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                                    [](QDialog* d) { d->reject(); }));
        QVERIFY(Status().contains(QDir::toNativeSeparators(QDir(m_config).absolutePath())));
        QCOMPARE(StatusColour(), Red);
    }

    // A save, a register or the printed register's layout runs with the other commands off and
    // stops at the status line's button: nothing is written, an earlier file stays byte for
    // byte with nothing left beside it, and the status line no longer says an older success.
    void stopCommand_data() {
        QTest::addColumn<int>("type"); // of the save dialog's file types; -1: the printed register
        QTest::addColumn<QString>("name");
        QTest::newRow("statement") << 0 << "out.txt";
        QTest::newRow("workbook") << 2 << "out.xlsx";
        QTest::newRow("PDF") << 3 << "out.pdf";
        QTest::newRow("printed register") << -1 << "";
    }
    void stopCommand() {
        QFETCH(int, type);
        QFETCH(QString, name);
        MakeForm();
        ReadSource(Folder("docs", {"1;2024-03-05;10", "2;2024-03-06;20"}));
        QVERIFY(m_form->SaveTo(Path("ok.txt"), 0));
        QDir().mkpath(Path("out"));
        if (type >= 0) WriteFile(Path("out/" + name), "earlier");
        bool othersOff = false;
        connect(m_form->findChild<StatementCommands*>(), &StatementCommands::RunningChanged,
                m_form.get(), [&](bool running) {
                    if (!running) return;
                    othersOff = !Find<QToolButton>("CommandSaveAs")->isEnabled() &&
                                !Find<QAction>("mnuPrintRegister")->isEnabled();
                    Find<QToolButton>("CancelReading")->click();
                });
        bool dialog = false;
        WhileModal(
            [&] {
                if (type < 0) return Find<QAction>("mnuPrintRegister")->trigger();
                QVERIFY(!m_form->SaveTo(Path("out/" + name), type));
            },
            [&](QWidget* d) { dialog = true, qobject_cast<QDialog*>(d)->reject(); });
        QVERIFY(othersOff && !dialog);
        QVERIFY2(Status().contains(u"остановлен"_s), qPrintable(Status()));
        QCOMPARE(QDir(Path("out")).entryList(QDir::Files), type < 0 ? QStringList() : QStringList{name});
        if (type >= 0) QCOMPARE(ReadFile(Path("out/" + name)), "earlier");
        QVERIFY(Find<QToolButton>("CommandSaveAs")->isEnabled());
    }

    // "Печать реестра ..." and its keys open the printed pages; their "Сохранить PDF ..." asks
    // for a file (the extension added when none is typed) and writes the pages there, but never
    // over a document read: that is said, the document stays, and the name is asked again.
    void printRegister_data() {
        QTest::addColumn<bool>("byKeys");     // Ctrl+Shift+P, else the save menu's item
        QTest::addColumn<QString>("typed");   // in the PDF's file dialog
        QTest::addColumn<QString>("written"); // the PDF there after; empty: none
        QTest::newRow("keys") << true << "printed.pdf" << "printed.pdf";
        QTest::newRow("menu, no extension") << false << "printed" << "printed.pdf";
        QTest::newRow("a document read") << true << "docs_2024/doc0000.xml" << "";
    }
    void printRegister() {
        QFETCH(bool, byKeys);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        MakeForm();
        ReadSource(Folder("docs_2024", {"1;2024-03-05;10", "2;2024-03-06;20"}));
        const QString document = Path("docs_2024/doc0000.xml");
        const QByteArray kept = ReadFile(document);
        RegisterPrintDlg* print = nullptr;
        QFileDialog* files = nullptr;
        int pages = 0;
        QString warned;
        WhileModal(
            [&] {
                if (byKeys)
                    QTest::keySequence(m_form.get(), QKeySequence(u"Ctrl+Shift+P"_s));
                else
                    Find<QAction>("mnuPrintRegister")->trigger();
            },
            [&](QWidget* modal) {
                if (auto* p = qobject_cast<RegisterPrintDlg*>(modal)) {
                    print = p;
                    QVERIFY(p->findChild<QWidget*>("RegisterPreview"));
                    QTRY_VERIFY(p->PageCount() > 0);
                    pages = p->PageCount();
                    // Clicked once this answer is over, so that its file dialog is seen too.
                    QTimer::singleShot(0, p->findChild<QPushButton*>("RegisterSavePdf"),
                                       &QPushButton::click);
                } else if (auto* f = qobject_cast<QFileDialog*>(modal)) {
                    files = f;
                    // Chosen once this answer is over too: the dialog may ask about replacing.
                    QTimer::singleShot(0, f, [&] {
                        Choose(files, Path(typed));
                        if (!written.isEmpty()) QTimer::singleShot(0, print, &QDialog::reject);
                    });
                } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    if (auto* yes = box->button(QMessageBox::Yes)) return yes->click();
                    warned = box->text();
                    box->accept();
                    // Asked for a name again, the user gives up and closes the preview.
                    QTimer::singleShot(200, files, [&] { files->reject(), print->reject(); });
                }
            });
        QVERIFY(print && files);
        QCOMPARE(pages, 1);
        QCOMPARE(ReadFile(document), kept);
        if (written.isEmpty())
            QCOMPARE(warned, u"Выписка не может заменить исходный файл '%1'"_s.arg(document));
        else
            QVERIFY(ReadFile(Path(written)).startsWith("%PDF"));
    }

    // The save dialog's last two types write a workbook and a PDF of the checked documents,
    // with their total, whatever extension the typed name has; with none, the type's is added.
    void saveRegister_data() {
        AddColumns<QString, QString, QString>({"type", "typed", "written"});
        QTest::newRow("workbook") << "Реестр Excel (*.xlsx)" << "register" << "register.xlsx";
        QTest::newRow("workbook named .txt") << "Реестр Excel (*.xlsx)" << "r.txt" << "r.txt";
        QTest::newRow("PDF") << "Реестр PDF (*.pdf)" << "register" << "register.pdf";
    }
    void saveRegister() {
        QFETCH(QString, type);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        MakeForm();
        ReadSource(Folder("docs_2024", {"1;2024-03-05;10", "2;2024-03-06;20,5", "3;;7"}));
        Find<QAction>("mnuOpenAfter")->setChecked(false);
        auto* model = Find<QTableView>("List")->model();
        model->setData(model->index(2, 0), Qt::Unchecked, Qt::CheckStateRole);
        QVERIFY(WithModal<QFileDialog>(
            [&] { Find<QToolButton>("CommandSaveAs")->click(); },
            [&](auto* d) {
                auto* combo = d->template findChild<QComboBox*>("fileTypeCombo");
                // Picked as a user does, so the extension follows.
                while (combo->currentText() != type && combo->currentIndex() < combo->count() - 1)
                    QTest::keyClick(combo, Qt::Key_Down);
                Choose(d, Path(typed));
            }));
        QCOMPARE(Status(), u"Документы успешно сохранены в '%1'"_s.arg(Path(written)));
        QCOMPARE(StatusColour(), Green);
        const QByteArray bytes = ReadFile(Path(written));
        if (type.contains(u"xlsx"_s)) {
            QString sheet;
            QStringList problems;
            ReadArchiveEntries(
                ArchiveSource(Path(written)),
                [](const ArchiveEntry& e) { return e.Name == u"xl/worksheets/sheet1.xml"_s; },
                [&](const ArchiveEntry&, const QByteArray& xml) {
                    sheet = QString::fromUtf8(xml);
                    return true;
                },
                problems);
            // Two rows and the total of the checked ones: the unchecked document is not there.
            QVERIFY2(sheet.contains(u"<f>SUM(C6:C7)</f><v>30.5</v>"_s), qPrintable(sheet));
        } else {
            QVERIFY(bytes.startsWith("%PDF"));
            if (!QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty()) {
                const ProgramRun text = RunProgram(u"pdftotext"_s, {Path(written), u"-"_s});
                QVERIFY2(QString::fromUtf8(text.Out).simplified().contains(
                             u"Итого: 2 документа на сумму 30,50 ₽"_s),
                         text.Out.constData());
            }
        }
    }

    // A save over a document that was read is refused in the dialog (a workbook or a PDF ends
    // there too): the document stays, the user is told, and the dialog comes back for another
    // name, which is then written.
    void saveOverSourceAsksAgain() {
        MakeForm();
        ReadSource(Folder("docs_2024", {"1;2024-03-05;10", "2;2024-03-06;20", "3;2024-03-07"}));
        Find<QAction>("mnuOpenAfter")->setChecked(false);
        const QString document = Path("docs_2024/doc0000.xml"), second = "statement.txt";
        const QByteArray kept = ReadFile(document);
        QFileDialog* files = nullptr;
        bool replaceAsked = false, askedAgain = false;
        QString warned;
        WhileModal([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                   [&](QWidget* modal) {
                       if (auto* d = qobject_cast<QFileDialog*>(modal)) {
                           files = d;
                           QTimer::singleShot(0, d, [&] { Choose(files, document); });
                       } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                           if (auto* yes = box->button(QMessageBox::Yes))
                               return replaceAsked = true, yes->click();
                           warned = box->text();
                           box->accept();
                           // The same dialog comes back: the user gives another name.
                           QTimer::singleShot(200, files, [&] {
                               askedAgain = files->isVisible();
                               Choose(files, Path(second));
                           });
                       }
                   });
        QCOMPARE(ReadFile(document), kept);
        QCOMPARE(warned, u"Выписка не может заменить исходный файл '%1'"_s.arg(document));
        QVERIFY(replaceAsked && askedAgain);
        QCOMPARE(Status(), u"Документы успешно сохранены в '%1'"_s.arg(Path(second)));
        QVERIFY(!ReadFile(Path(second)).isEmpty());
    }
};

VYPISKA_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
