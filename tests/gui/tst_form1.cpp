// The main window driven through its real widgets, offscreen, over a CONFIG of its own.
#include "../TestZip.h"
#include "app/CheckAllHeader.h"
#include "app/Form1.h"
#include "settings/INIStorage.h"
#include "text/Cp1251.h"
#include "text/TextCoder.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace {

const QColor Green(0, 128, 0), Red(192, 0, 0);

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// "number;date;amount;payee"; an empty amount leaves the element out.
QByteArray Doc(const QString& fields) {
    const QStringList f = fields.split(';');
    QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Doc><Nomer>" + f[0] +
                  "</Nomer><Data>" + f[1] + "</Data>";
    if (!f[2].isEmpty()) xml += "<Summa>" + f[2] + "</Summa>";
    return (xml + "<Payee>" + f.value(3) + "</Payee></Doc>\n").toUtf8();
}

// Runs action on the first modal dialog of type T that opens while trigger runs. A dialog that
// the action leaves open is rejected after a few seconds, so a fault fails instead of hanging.
template <typename T>
bool WithModal(const std::function<void()>& trigger, const std::function<void(T*)>& action) {
    bool seen = false;
    int ticksOpen = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal); dialog && !seen) {
            seen = true;
            action(dialog);
        } else if (auto* open = qobject_cast<QDialog*>(modal); open && seen && ++ticksOpen > 150) {
            qWarning("dialog left open");
            open->reject();
        }
    });
    poll.start(20);
    trigger();
    return seen;
}

// Fills the name box of a non-native file dialog and accepts it; an empty name cancels.
void Choose(QFileDialog* dialog, const QString& path) {
    if (path.isEmpty()) return dialog->reject();
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
    static_cast<QDialog*>(dialog)->accept();
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private:
    void MakeForm() {
        m_form.reset();
        m_form = std::make_unique<Form1>(*m_coder, *m_settings, m_config);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    template <typename W> W* Find(const QString& name) { return m_form->findChild<W*>(name); }
    QString Status() { return Find<QLabel>("StatusText")->text(); }
    QColor Colour() { return Find<QLabel>("StatusText")->palette().color(QPalette::WindowText); }
    QString Path(const QString& name) { return m_dir->filePath(name); }
    QString Folder(const QString& name, const QStringList& docs) {
        for (int i = 0; i < docs.size(); ++i)
            Write(Path("%1/doc%2.xml").arg(name).arg(i, 3, 10, QChar('0')), Doc(docs[i]));
        QDir().mkpath(Path(name));
        return Path(name);
    }
    void ReadSource(const QString& path) {
        Find<QLineEdit>("TxtFileIn")->setText(path);
        QTRY_VERIFY(Find<QTimer>("ReadTimer")->isActive() || m_form->IsReading() ||
                    Status() != QStringLiteral("Готов к работе ..."));
        QTRY_VERIFY(!Find<QTimer>("ReadTimer")->isActive() && !m_form->IsReading());
    }
    QStringList Numbers() {
        QStringList numbers;
        for (const DocumentRow& row : m_form->Table().Rows)
            numbers << row.DisplayText(0);
        return numbers;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_config;
    std::unique_ptr<TextCoder> m_coder;
    std::unique_ptr<INIStorage> m_settings;
    std::unique_ptr<Form1> m_form;

private slots:
    void cleanup() { m_form.reset(), m_settings.reset(), m_coder.reset(), m_dir.reset(); }

    void init() {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        m_dir = std::make_unique<QTemporaryDir>();
        m_config = Path("CONFIG") + "/";
        // Configuration files are Windows-1251 with CR LF line ends.
        const auto ansi = [&](const QString& name, const QString& text) {
            Write(m_config + name, Cp1251::Encode(QString(text).replace("|", "\r\n")));
        };
        ansi("TAG.INI", "Номер = Номер;Nomer|Дата = Дата;Data|Сумма = Сумма;Summa|"
                        "Получатель = Получатель;Payee|");
        ansi("Выписка.txt.tpl", "<header>|TXT {MakeDate} {MakeTime}|</header>|<document>|"
                                "{Nomer};{Summa}|</document>|<footer>|END|</footer>|");
        ansi("Таблица.csv.tpl", "<header>|CSV|</header>|<document>|{Nomer}|</document>|");
        m_coder = std::make_unique<TextCoder>(QLocale(QLocale::Russian, QLocale::Russia));
        m_settings = std::make_unique<INIStorage>(m_config);
    }

    void startUp() {
        const QDateTime before = QDateTime::currentDateTime().addSecs(-61);
        MakeForm();
        QCOMPARE(m_form->minimumSize(), QSize(800, 600));
        QCOMPARE(Status(), QStringLiteral("Готов к работе ..."));
        QVERIFY(!Find<QToolButton>("CommandSaveAs")->isEnabled());
        QVERIFY(!Find<QTableWidget>("Grid1")->isEnabled());
        QCOMPARE(Find<QTableWidget>("Grid1")->rowCount(), 4);
        QCOMPARE(Find<QTableView>("List")->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("Сумма"));
        const QDateTime picked = Find<QDateTimeEdit>("DTPicker1")->dateTime();
        QVERIFY(picked >= before && picked <= QDateTime::currentDateTime());
        QVERIFY(Find<QMenu>("mnuOpn")->defaultAction()->font().bold());
        // Without the column map the window still opens, and says why the list has no columns.
        m_form.reset();
        QVERIFY(QFile::remove(m_config + "TAG.INI"));
        MakeForm();
        QCOMPARE(Status(), QStringLiteral("Готов к работе ..."));
        QVERIFY(Find<QLabel>("StatusProblems")->isVisibleTo(m_form.get()));
        QVERIFY(Find<QLabel>("StatusProblems")->toolTip().contains("TAG.INI"));
        QCOMPARE(Find<QTableWidget>("Grid1")->rowCount(), 0);
    }

    void openAfterSave_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("checked");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("1.0 is one") << "1.0" << true;
        QTest::newRow("2") << "2" << false;
        QTest::newRow("not a number") << "yes" << false;
        QTest::newRow("missing") << QString() << false;
    }

    void openAfterSave() {
        QFETCH(QString, value);
        QFETCH(bool, checked);
        if (!value.isNull())
            Write(m_config + "USER.INI", "[User]\r\nGotoAfterSave=" + value.toLatin1() + "\r\n");
        MakeForm();
        QCOMPARE(Find<QAction>("mnuOpenAfter")->isChecked(), checked);
        Find<QAction>("mnuOpenAfter")->trigger(); // stored at once
        QCOMPARE(m_settings->ReadVal(User, "GotoAfterSave", 0).toString(),
                 QString(checked ? "0" : "1"));
        MakeForm();
        QCOMPARE(Find<QAction>("mnuOpenAfter")->isChecked(), !checked);
    }

    void openDialogs_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("file") << "mnuOpenFile" << "one.xml";
        QTest::newRow("folder") << "mnuOpenFolder" << "docs";
        QTest::newRow("cancelled") << "mnuOpenFile" << QString();
    }

    void openDialogs() {
        QFETCH(QString, item);
        QFETCH(QString, chosen);
        Folder("docs", {"1;2024-03-05;1"});
        Write(Path("one.xml"), Doc("1;2024-01-01;5"));
        MakeForm();
        const QString path = chosen.isEmpty() ? QString() : Path(chosen);
        QStringList filters;
        QVERIFY(WithModal<QFileDialog>([&] { Find<QAction>(item)->trigger(); },
                                       [&](QFileDialog* dialog) {
                                           filters = dialog->nameFilters();
                                           Choose(dialog, path);
                                       }));
        if (item == "mnuOpenFile") QCOMPARE(filters, QStringList{"*.xml; *.zip (*.xml *.zip)"});
        QCOMPARE(Find<QLineEdit>("TxtFileIn")->text(), path);
        if (!path.isEmpty()) QTRY_VERIFY(Status().startsWith(QStringLiteral("Успешно")));
    }

    void dragTheWindowByItsTopBand_data() {
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("moves");
        QTest::newRow("bare band") << 20 << true;
        QTest::newRow("topmost row") << 0 << false;
        QTest::newRow("below the band") << -1 << false;
    }

    void dragTheWindowByItsTopBand() {
        QFETCH(int, y);
        QFETCH(bool, moves);
        MakeForm();
        QWidget* client = m_form->centralWidget();
        if (y < 0) y = Find<QLineEdit>("TxtFileIn")->geometry().bottom() + 2;
        const QPoint before = m_form->pos(), from(40, y), to = from + QPoint(30, 15);
        const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button) {
            QMouseEvent event(type, at, client->mapToGlobal(at), button,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              {});
            QApplication::sendEvent(client, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton);
        QCOMPARE(m_form->pos(), moves ? before + QPoint(30, 15) : before);
    }

    void reading_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("text");
        const QString none = QStringLiteral("Не найдено совместимых документов в '%1'");
        QTest::newRow("folder of three")
            << "docs" << 3 << QStringLiteral("Успешно прочитано 3 документа в '%1'");
        QTest::newRow("archive of one")
            << "docs.zip" << 1 << QStringLiteral("Успешно прочитан 1 документ в '%1'");
        QTest::newRow("single file, upper case")
            << "ONE.XML" << 1 << QStringLiteral("Успешно прочитан 1 документ в '%1'");
        QTest::newRow("empty folder") << "empty" << 0 << none;
        QTest::newRow("other extension") << "doc.txt" << 0 << none;
    }

    void reading() {
        QFETCH(QString, source);
        QFETCH(int, rows);
        QFETCH(QString, text);
        // A document without an amount is not listed; problems never reach the status text.
        Folder("docs",
               {"1;2024-03-05;100.5", "2;2024-03-06;20", "3;2024-03-07;3", "9;2024-03-05;"});
        QVERIFY(WriteTestZip(Path("docs.zip"),
                             {{"a.xml", Doc("7;2024-01-01;5")}, {"notes.txt", "nothing"}}));
        Write(Path("ONE.XML"), Doc("1;2024-01-01;5"));
        Write(Path("doc.txt"), Doc("1;2024-01-01;5"));
        Folder("empty", {});
        MakeForm();
        // Read first from where nothing is found, so that the colour has to change.
        ReadSource(Path("empty"));
        QCOMPARE(Colour(), Red);
        ReadSource(Path(source));
        QCOMPARE(Status(), text.arg(Path(source)));
        QCOMPARE(Colour(), rows ? Green : Red);
        QCOMPARE(m_form->Table().Rows.size(), std::size_t(rows));
        QCOMPARE(Find<QTableView>("List")->model()->rowCount(), rows);
        QCOMPARE(Find<QToolButton>("CommandSaveAs")->isEnabled(), rows > 0);
        QCOMPARE(qobject_cast<CheckAllHeader*>(Find<QTableView>("List")->horizontalHeader())
                     ->IsChecked(),
                 rows > 0);
    }

    void sourceChosenDuringARunWaits() {
        QStringList many;
        for (int i = 0; i < 400; ++i)
            many << QString::number(i) + ";2024-03-05;1";
        const QString big = Folder("big", many), small = Folder("small", {"1;2024-03-05;1"});
        MakeForm();
        auto* box = Find<QLineEdit>("TxtFileIn");
        box->setText(big);
        QTRY_VERIFY(m_form->IsReading() || Status() != QStringLiteral("Готов к работе ..."));
        box->setText(small);
        const QString done = QStringLiteral("Успешно прочитан 1 документ в '%1'").arg(small);
        QTRY_COMPARE(Status(), done);
        QTRY_VERIFY(!m_form->IsReading() && !Find<QTimer>("ReadTimer")->isActive());
        QCOMPARE(Status(), done);
        QCOMPARE(m_form->Table().Rows.size(), std::size_t(1));
        // Closing while a read runs stops and waits for it; nothing arrives afterwards.
        box->setText(big);
        QTRY_VERIFY(m_form->IsReading() || m_form->Table().Rows.size() > 1);
        if (m_form->IsReading()) QVERIFY(!Find<QToolButton>("CommandSaveAs")->isEnabled());
        m_form.reset();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    void drops_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<bool>("taken");
        QTest::newRow("folder on the box") << "TxtFileIn" << QStringList{"docs"} << true;
        QTest::newRow("archive on the list") << "List" << QStringList{"a.ZIP"} << true;
        QTest::newRow("other extension ignored")
            << "TxtFileIn" << QStringList{"notes.txt"} << false;
        QTest::newRow("missing file ignored") << "List" << QStringList{"gone.xml"} << false;
        QTest::newRow("only the first counts")
            << "TxtFileIn" << QStringList{"notes.txt", "a.ZIP"} << false;
    }

    void drops() {
        QFETCH(QString, target);
        QFETCH(QStringList, dropped);
        QFETCH(bool, taken);
        Folder("docs", {"1;2024-03-05;1"});
        QVERIFY(WriteTestZip(Path("a.ZIP"), {{"a.xml", Doc("7;2024-01-01;5")}}));
        Write(Path("notes.txt"), "x");
        MakeForm();
        auto* box = Find<QLineEdit>("TxtFileIn");
        box->setText(QStringLiteral("before"));
        QWidget* widget = target == "List" ? Find<QTableView>("List")->viewport() : box;
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : dropped)
            urls << QUrl::fromLocalFile(Path(name));
        data.setUrls(urls);
        const QPoint at = widget->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        QCOMPARE(enter.isAccepted(), taken);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &drop);
        QCOMPARE(box->text(), taken ? Path(dropped.front()) : QStringLiteral("before"));
        if (taken) QTRY_VERIFY(Status().startsWith(QStringLiteral("Успешно")));
    }

    void checkAllBox() {
        MakeForm();
        ReadSource(Folder("docs", {"1;2024-03-05;1", "2;2024-03-05;2", "3;2024-03-05;3"}));
        auto* header = qobject_cast<CheckAllHeader*>(Find<QTableView>("List")->horizontalHeader());
        QAbstractItemModel* model = header->model();
        QVERIFY(model->setData(model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(!m_form->Table().Rows[1].Checked);
        for (const bool checked :
             {false, true}) { // one row unchecked by hand: the box unchecks all
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              header->CheckBoxRect().center());
            QCOMPARE(header->IsChecked(), checked);
            for (int r = 0; r < 3; ++r) {
                QCOMPARE(m_form->Table().Rows[std::size_t(r)].Checked, checked);
                QCOMPARE(model->index(r, 0).data(Qt::CheckStateRole).toInt(),
                         int(checked ? Qt::Checked : Qt::Unchecked));
            }
        }
        QVERIFY(!header->isSortIndicatorShown()); // the box is not a sort click
        QVERIFY(Find<QToolButton>("CommandSaveAs")->isEnabled());
    }

    void sortByHeader() {
        MakeForm();
        auto* list = Find<QTableView>("List");
        QHeaderView* header = list->horizontalHeader();
        const auto click = [&](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) - 6,
                       header->height() / 2));
        };
        click(0); // an empty list ignores header clicks
        QVERIFY(!header->isSortIndicatorShown());
        ReadSource(
            Folder("one", {"10;2024-03-05;300", "9;2024-01-05;1000", "100;2023-12-31;25.5"}));
        // Numbers, formatted amounts and dates by value; a second click does not reverse.
        for (const auto& [section, order] :
             {std::pair{0, "9 10 100"}, {0, "9 10 100"}, {2, "100 10 9"}, {1, "100 9 10"}}) {
            click(section);
            QCOMPARE(Numbers().join(' '), QString(order)); // the table itself is reordered
            QCOMPARE(header->sortIndicatorSection(), section);
            QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        }
        const auto background = [&](int row) {
            return list->model()->index(row, 1).data(Qt::BackgroundRole);
        };
        QCOMPARE(background(0).value<QColor>(), QColor(238, 238, 238)); // the stripes follow
        QVERIFY(!background(1).isValid());
        QCOMPARE(background(2).value<QColor>(), QColor(238, 238, 238));
        QVERIFY(list->model()->index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
        // The next read is sorted the same way.
        click(0);
        ReadSource(Folder("two", {"30;2024-03-05;1", "4;2024-03-05;2", "100;2024-03-05;2"}));
        QCOMPARE(Numbers().join(' '), QStringLiteral("4 30 100"));
        QCOMPARE(header->sortIndicatorSection(), 0);
    }

    void gridFollowsTheCurrentRow() {
        MakeForm();
        ReadSource(Folder("docs", {"1;2024-03-05;1;Первый", "2;2024-03-05;2;"}));
        auto* list = Find<QTableView>("List");
        auto* grid = Find<QTableWidget>("Grid1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 1)).center());
        QVERIFY(grid->isEnabled());
        QCOMPARE(grid->item(3, 0)->text(), QStringLiteral("Получатель"));
        QCOMPARE(grid->item(3, 1)->text(), QStringLiteral("Первый"));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("2"));
        QCOMPARE(grid->item(3, 1)->text(), QString()); // no value: empty cell, not the last one's
    }

    void datePickerDropsTimeOfUserDate() {
        MakeForm();
        auto* picker = Find<QDateTimeEdit>("DTPicker1");
        picker->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(14, 37)));
        QCOMPARE(picker->time(),
                 QTime(0, 0)); // the window is visible: a set date counts from midnight
        picker->setFocus();
        picker->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(picker, Qt::Key_Up);
        QCOMPARE(picker->dateTime(), QDateTime(QDate(2024, 3, 6), QTime(0, 0)));
        // Typing a two-digit day is not disturbed by the time going to midnight.
        picker->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(picker, "17");
        QCOMPARE(picker->dateTime(), QDateTime(QDate(2024, 3, 17), QTime(0, 0)));
        // A time typed after the date stays.
        picker->setCurrentSection(QDateTimeEdit::HourSection);
        QTest::keyClick(picker, Qt::Key_Up);
        QCOMPARE(picker->dateTime(), QDateTime(QDate(2024, 3, 17), QTime(1, 0)));
    }

    void saveThroughTheDialog() {
        MakeForm();
        ReadSource(Folder("docs_2024", {"1;2024-03-05;10", "2;2024-03-05;20"}));
        Find<QAction>("mnuOpenAfter")->setChecked(false);
        // The second file type with a name typed in the first type's extension: the type decides.
        const QString target = Path("out.txt");
        QString suggested;
        QStringList filters;
        QVERIFY(WithModal<QFileDialog>([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                                       [&](QFileDialog* dialog) {
                                           filters = dialog->nameFilters();
                                           suggested = dialog->selectedFiles().value(0);
                                           dialog->selectNameFilter(filters.value(1));
                                           Choose(dialog, target);
                                       }));
        QCOMPARE(filters, QStringList({"Выписка (*.txt)", "Таблица (*.csv)"}));
        QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("2024.csv"));
        QCOMPARE(Read(target), QByteArray("CSV\r\n1\r\n2\r\n"));
        QCOMPARE(Status(), QStringLiteral("Документы успешно сохранены в '%1'").arg(target));
        QCOMPARE(Colour(), Green);
        // The date picker's day and time reach the header.
        Find<QDateTimeEdit>("DTPicker1")->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
        QVERIFY(m_form->SaveTo(Path("second.txt"), 0));
        QCOMPARE(Read(Path("second.txt")),
                 QByteArray("TXT 05.03.2024 00:00\r\n1;10\r\n2;20\r\nEND"));
    }

    void saveFailures() {
        MakeForm();
        ReadSource(Folder("docs", {"1;2024-03-05;10"}));
        // A folder stands where the file should go: the write fails, in red, and the folder stays.
        const QString blocked = Path("blocked.txt");
        QDir().mkpath(blocked + "/inner");
        QVERIFY(!m_form->SaveTo(blocked, 0));
        QCOMPARE(Status(), QStringLiteral("Ошибка! Не удалось сохранить файл!"));
        QCOMPARE(Colour(), Red);
        QVERIFY(Find<QLabel>("StatusProblems")->isVisibleTo(m_form.get()));
        QVERIFY(Find<QLabel>("StatusProblems")->toolTip().contains("blocked.txt"));
        QVERIFY(QFileInfo(blocked + "/inner").isDir());
        // Without templates an existing statement survives, and the command says where they go.
        Write(Path("kept.txt"), "old");
        QVERIFY(QFile::remove(m_config + QStringLiteral("Выписка.txt.tpl")));
        QVERIFY(QFile::remove(m_config + QStringLiteral("Таблица.csv.tpl")));
        QVERIFY(!m_form->SaveTo(Path("kept.txt"), 0));
        QCOMPARE(Read(Path("kept.txt")), QByteArray("old"));
        MakeForm(); // the templates are listed when the window opens
        ReadSource(Path("docs"));
        QVERIFY(!WithModal<QDialog>([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                                    [](QDialog* d) { d->reject(); }));
        QVERIFY(Status().contains(QDir::toNativeSeparators(QDir(m_config).absolutePath())));
        QCOMPARE(Colour(), Red);
    }

    void secondaryWindowsAndMenus_data() {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("opens");
        QTest::newRow("logo opens About") << "AlphaLogo" << "FormAbout";
        QTest::newRow("settings button") << "OptionsBtn" << "OptionsDlg";
        QTest::newRow("open menu") << "CommandOpen" << "mnuOpn";
        QTest::newRow("save menu") << "CommandSaveAs" << "mnuSave";
    }

    void secondaryWindowsAndMenus() {
        QFETCH(QString, trigger);
        QFETCH(QString, opens);
        MakeForm();
        auto* widget = Find<QWidget>(trigger);
        QString opened;
        if (auto* tool = qobject_cast<QToolButton*>(widget); tool && tool->menu()) {
            // Menus open right-aligned with the button, just below it.
            tool->setEnabled(true);
            QRect shown;
            QTimer poll;
            connect(&poll, &QTimer::timeout, [&] {
                if (QWidget* popup = QApplication::activePopupWidget()) {
                    poll.stop();
                    shown = popup->geometry();
                    opened = popup->objectName();
                    popup->close();
                }
            });
            poll.start(20);
            tool->showMenu();
            QCOMPARE(shown.topRight() + QPoint(1, 0),
                     tool->mapToGlobal(QPoint(tool->width(), tool->height())));
        } else {
            QVERIFY(WithModal<QDialog>(
                [&] { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); },
                [&](QDialog* dialog) {
                    opened = dialog->metaObject()->className();
                    dialog->reject();
                }));
        }
        QCOMPARE(opened, opens);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
