// The main window driven through its real widgets, offscreen, over a CONFIG of its own.
#include "app/CheckAllHeader.h"
#include "app/Form1.h"
#include "reading/ReadingRun.h"
#include "settings/INIStorage.h"
#include "settings/OptionsDlg.h"
#include "shell/FormAbout.h"
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
#include <memory>

namespace {

const QLocale Ru(QLocale::Russian, QLocale::Russia);

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

// Configuration files are Windows-1251 with CR LF line ends.
void WriteAnsi(const QString& path, const QStringList& lines) {
    WriteBytes(path, Cp1251::Encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

QByteArray Document(const QString& number, const QString& date, const QString& amount,
                    const QString& payee) {
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Doc>");
    xml += QStringLiteral("<Nomer>%1</Nomer><Data>%2</Data>").arg(number, date);
    if (!amount.isEmpty()) xml += QStringLiteral("<Summa>%1</Summa>").arg(amount);
    xml += QStringLiteral("<Payee>%1</Payee></Doc>\n").arg(payee);
    return xml.toUtf8();
}

quint32 Crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A stored (uncompressed) ZIP archive, enough for the reader.
QByteArray Zip(const QList<QPair<QString, QByteArray>>& entries) {
    QByteArray out, central;
    auto le16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto le32 = [&](QByteArray& b, quint32 v) {
        le16(b, quint16(v & 0xFFFF));
        le16(b, quint16(v >> 16));
    };
    for (const auto& [name, data] : entries) {
        const QByteArray n = name.toUtf8();
        const quint32 offset = quint32(out.size());
        const quint32 crc = Crc32(data);
        le32(out, 0x04034b50);
        le16(out, 20);
        le16(out, 0x800);
        le16(out, 0);
        le16(out, 0);
        le16(out, 0x21);
        le32(out, crc);
        le32(out, quint32(data.size()));
        le32(out, quint32(data.size()));
        le16(out, quint16(n.size()));
        le16(out, 0);
        out += n;
        out += data;
        le32(central, 0x02014b50);
        le16(central, 20);
        le16(central, 20);
        le16(central, 0x800);
        le16(central, 0);
        le16(central, 0);
        le16(central, 0x21);
        le32(central, crc);
        le32(central, quint32(data.size()));
        le32(central, quint32(data.size()));
        le16(central, quint16(n.size()));
        le16(central, 0);
        le16(central, 0);
        le16(central, 0);
        le16(central, 0);
        le32(central, 0);
        le32(central, offset);
        central += n;
    }
    const quint32 centralOffset = quint32(out.size());
    out += central;
    le32(out, 0x06054b50);
    le16(out, 0);
    le16(out, 0);
    le16(out, quint16(entries.size()));
    le16(out, quint16(entries.size()));
    le32(out, quint32(central.size()));
    le32(out, centralOffset);
    le16(out, 0);
    return out;
}

// Runs action on the first modal dialog of type T that opens while trigger runs. A dialog that
// the action leaves open is rejected after a few seconds, so a fault fails instead of hanging.
template <typename T>
bool WithModal(const std::function<void()>& trigger, const std::function<void(T*)>& action) {
    bool seen = false;
    int ticksOpen = 0;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!seen) {
            if (auto* dialog = qobject_cast<T*>(modal)) {
                seen = true;
                action(dialog);
            }
        } else if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && ++ticksOpen > 150) {
            qWarning("dialog left open");
            dialog->reject();
        }
    });
    poll.start();
    trigger();
    poll.stop();
    return seen;
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUp();
    void openAfterFromUserIni_data();
    void openAfterFromUserIni();
    void openAfterIsStoredAtOnce();
    void missingColumnMapIsSaidAside();
    void openDialogs_data();
    void openDialogs();
    void dragTheWindowByItsTopBand_data();
    void dragTheWindowByItsTopBand();
    void readingThroughTheSourceBox_data();
    void readingThroughTheSourceBox();
    void notFoundThenSuccessColours();
    void sourceChosenDuringARunWaits();
    void closingDuringARun();
    void drops_data();
    void drops();
    void checkAllBox();
    void sortByHeader();
    void sortIsKeptForTheNextRead();
    void gridFollowsTheCurrentRow();
    void datePickerDropsTimeOfUserDate();
    void saveThroughTheDialog();
    void saveFailureIsReported();
    void saveWithoutTemplatesSaysSo();
    void secondaryWindows_data();
    void secondaryWindows();
    void layoutFollowsResize();
    void splitButtonMenus_data();
    void splitButtonMenus();

private:
    Form1& MakeForm();
    template <typename W> W* Find(const QString& name) {
        W* widget = m_form->findChild<W*>(name);
        if (!widget) qWarning("no %s", qPrintable(name));
        return widget;
    }
    QString StatusText() { return Find<QLabel>("StatusText")->text(); }
    QColor StatusColour() {
        return Find<QLabel>("StatusText")->palette().color(QPalette::WindowText);
    }
    void ReadSource(const QString& path);
    QString MakeFolder(const QString& name, const QList<QStringList>& docs);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_config;
    std::unique_ptr<TextCoder> m_coder;
    std::unique_ptr<INIStorage> m_settings;
    std::unique_ptr<Form1> m_form;
};

void TestForm1::init() {
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_config = m_dir->filePath("CONFIG") + "/";
    WriteAnsi(m_config + "TAG.INI",
              {QStringLiteral("Номер = Номер;Nomer"), QStringLiteral("Дата = Дата;Data"),
               QStringLiteral("Сумма = Сумма;Summa"),
               QStringLiteral("Получатель = Получатель;Payee")});
    WriteAnsi(m_config + QStringLiteral("Выписка.txt.tpl"),
              {"<header>", "TXT {MakeDate} {MakeTime}", "</header>", "<document>",
               "{Nomer};{Summa}", "</document>", "<footer>", "END", "</footer>"});
    WriteAnsi(m_config + QStringLiteral("Таблица.csv.tpl"),
              {"<header>", "CSV", "</header>", "<document>", "{Nomer}", "</document>"});
    m_coder = std::make_unique<TextCoder>(Ru);
    m_settings = std::make_unique<INIStorage>(m_config);
}

void TestForm1::cleanup() {
    m_form.reset();
    m_settings.reset();
    m_coder.reset();
    m_dir.reset();
}

Form1& TestForm1::MakeForm() {
    m_form = std::make_unique<Form1>(*m_coder, *m_settings, m_config);
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get())) qWarning("window not exposed");
    return *m_form;
}

QString TestForm1::MakeFolder(const QString& name, const QList<QStringList>& docs) {
    const QString folder = m_dir->filePath(name);
    QDir().mkpath(folder);
    int i = 0;
    for (const QStringList& d : docs) {
        WriteBytes(QStringLiteral("%1/doc%2.xml").arg(folder).arg(++i, 3, 10, QChar('0')),
                   Document(d[0], d[1], d[2], d[3]));
    }
    return folder;
}

void TestForm1::ReadSource(const QString& path) {
    Find<QLineEdit>("TxtFileIn")->setText(path);
    QTRY_VERIFY(Find<QTimer>("ReadTimer")->isActive() || m_form->IsReading() ||
                StatusText() != QStringLiteral("Готов к работе ..."));
    QTRY_VERIFY(!Find<QTimer>("ReadTimer")->isActive() && !m_form->IsReading());
}

void TestForm1::startUp() {
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    Form1& form = MakeForm();
    const QStringList names{"AlphaLogo", "LabelW1",   "TxtFileIn",     "CommandOpen",
                            "List",      "Grid1",     "PicCont",       "OptionsBtn",
                            "LabelW2",   "DTPicker1", "CommandSaveAs", "StatusBar1"};
    for (const QString& name : names)
        QVERIFY2(form.findChild<QWidget*>(name), qPrintable(name));
    QVERIFY(form.findChild<QTimer*>("ReadTimer"));
    QVERIFY(!Find<QTimer>("ReadTimer")->isActive());
    QCOMPARE(form.windowTitle(), QStringLiteral("Vypiska"));
    QCOMPARE(form.minimumSize(), QSize(800, 600));
    QCOMPARE(Find<QLabel>("LabelW1")->text(), QStringLiteral("Исходный файл:"));
    QVERIFY(Find<QLineEdit>("TxtFileIn")->isReadOnly());
    QCOMPARE(Find<QToolButton>("OptionsBtn")->toolTip(), QStringLiteral("Настройки"));
    QCOMPARE(Find<QToolButton>("CommandSaveAs")->text(), QStringLiteral("Сохранить как ..."));
    QCOMPARE(StatusText(), QStringLiteral("Готов к работе ..."));
    QVERIFY(!Find<QToolButton>("CommandSaveAs")->isEnabled());
    QVERIFY(!Find<QTableWidget>("Grid1")->isEnabled());
    QCOMPARE(Find<QTableWidget>("Grid1")->rowCount(), 4);
    QCOMPARE(Find<QTableView>("List")->model()->columnCount(), 4);
    QCOMPARE(Find<QTableView>("List")->model()->headerData(2, Qt::Horizontal).toString(),
             QStringLiteral("Сумма"));

    const QDateTime picked = Find<QDateTimeEdit>("DTPicker1")->dateTime();
    QVERIFY(picked >= before.addSecs(-60) && picked <= QDateTime::currentDateTime());
    QCOMPARE(Find<QDateTimeEdit>("DTPicker1")->displayFormat(),
             QStringLiteral("dd.MM.yyyy   HH:mm"));

    const QStringList openItems = [&] {
        QStringList texts;
        for (QAction* a : Find<QMenu>("mnuOpn")->actions())
            texts << a->text();
        return texts;
    }();
    QCOMPARE(openItems, (QStringList{QStringLiteral("Открыть файл ..."),
                                     QStringLiteral("Открыть папку ...")}));
    QVERIFY(Find<QMenu>("mnuOpn")->defaultAction()->font().bold());
    QVERIFY(Find<QAction>("mnuOpenAfter")->isCheckable());
    QCOMPARE(Find<QAction>("mnuOpenAfter")->text(),
             QStringLiteral("Перейти к файлу после сохранения"));
}

void TestForm1::openAfterFromUserIni_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1.0 is one") << "1.0" << true;
    QTest::newRow("2") << "2" << false;
    QTest::newRow("not a number") << "yes" << false;
    QTest::newRow("missing") << QString() << false;
}

void TestForm1::openAfterFromUserIni() {
    QFETCH(QString, value);
    QFETCH(bool, checked);
    if (!value.isNull()) WriteAnsi(m_config + "USER.INI", {"[User]", "GotoAfterSave=" + value});
    MakeForm();
    QCOMPARE(Find<QAction>("mnuOpenAfter")->isChecked(), checked);
}

void TestForm1::openAfterIsStoredAtOnce() {
    MakeForm();
    Find<QAction>("mnuOpenAfter")->trigger();
    QCOMPARE(m_settings->ReadVal(User, "GotoAfterSave", 0).toString(), QStringLiteral("1"));
    m_form.reset();
    MakeForm();
    QVERIFY(Find<QAction>("mnuOpenAfter")->isChecked());
    Find<QAction>("mnuOpenAfter")->trigger();
    QCOMPARE(m_settings->ReadVal(User, "GotoAfterSave", 0).toString(), QStringLiteral("0"));
}

void TestForm1::missingColumnMapIsSaidAside() {
    QVERIFY(QFile::remove(m_config + "TAG.INI"));
    MakeForm();
    QCOMPARE(StatusText(), QStringLiteral("Готов к работе ..."));
    auto* problems = Find<QLabel>("StatusProblems");
    QVERIFY(problems->isVisibleTo(m_form.get()));
    QVERIFY(problems->toolTip().contains("TAG.INI"));
    QCOMPARE(Find<QTableWidget>("Grid1")->rowCount(), 0);
}

void TestForm1::openDialogs_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("file") << "mnuOpenFile"
                          << "one.xml";
    QTest::newRow("folder") << "mnuOpenFolder"
                            << "docs";
    QTest::newRow("cancelled") << "mnuOpenFile" << QString();
}

void TestForm1::openDialogs() {
    QFETCH(QString, item);
    QFETCH(QString, chosen);
    MakeFolder("docs", {{"1", "2024-03-05", "1", "A"}});
    WriteBytes(m_dir->filePath("one.xml"), Document("1", "2024-01-01", "5", "Z"));
    MakeForm();
    QStringList filters;
    const bool seen = WithModal<QFileDialog>(
        [&] { Find<QAction>(item)->trigger(); },
        [&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            if (chosen.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(m_dir->filePath(chosen));
            static_cast<QDialog*>(dialog)->accept();
        });
    QVERIFY(seen);
    if (item == "mnuOpenFile") QCOMPARE(filters, QStringList{"*.xml; *.zip (*.xml *.zip)"});
    QCOMPARE(Find<QLineEdit>("TxtFileIn")->text(),
             chosen.isEmpty() ? QString() : m_dir->filePath(chosen));
    if (!chosen.isEmpty()) QTRY_VERIFY(StatusText().startsWith(QStringLiteral("Успешно")));
}

void TestForm1::dragTheWindowByItsTopBand_data() {
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("moves");
    QTest::newRow("bare band") << 20 << true;
    QTest::newRow("topmost row") << 0 << false;
    QTest::newRow("below the band") << -1 << false;
}

void TestForm1::dragTheWindowByItsTopBand() {
    QFETCH(int, y);
    QFETCH(bool, moves);
    MakeForm();
    QWidget* client = m_form->centralWidget();
    if (y < 0) y = Find<QLineEdit>("TxtFileIn")->geometry().bottom() + 2;
    const QPoint start(40, y);
    const QPoint before = m_form->pos();
    QMouseEvent press(QEvent::MouseButtonPress, start, client->mapToGlobal(start), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(client, &press);
    const QPoint to = start + QPoint(30, 15);
    QMouseEvent move(QEvent::MouseMove, to, client->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(client, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, client->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(client, &release);
    QCOMPARE(m_form->pos(), moves ? before + QPoint(30, 15) : before);
}

void TestForm1::readingThroughTheSourceBox_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("folder of three")
        << "folder" << 3 << QStringLiteral("Успешно прочитано 3 документа в '%1'");
    QTest::newRow("archive of one")
        << "zip" << 1 << QStringLiteral("Успешно прочитан 1 документ в '%1'");
    QTest::newRow("single file, upper case")
        << "XML" << 1 << QStringLiteral("Успешно прочитан 1 документ в '%1'");
    QTest::newRow("empty folder") << "empty" << 0
                                  << QStringLiteral("Не найдено совместимых документов в '%1'");
    QTest::newRow("other extension")
        << "txt" << 0 << QStringLiteral("Не найдено совместимых документов в '%1'");
}

void TestForm1::readingThroughTheSourceBox() {
    QFETCH(QString, kind);
    QFETCH(int, rows);
    QFETCH(QString, text);
    QString path;
    if (kind == "folder") {
        path = MakeFolder("docs", {{"1", "2024-03-05", "100.5", "A"},
                                   {"2", "2024-03-06", "20", "B"},
                                   {"3", "2024-03-07", "3", "C"}});
        // A document without an amount is not listed.
        WriteBytes(path + "/doc9.xml", Document("9", "2024-03-05", "", "X"));
    } else if (kind == "zip") {
        path = m_dir->filePath("docs.zip");
        WriteBytes(path, Zip({{"a.xml", Document("7", "2024-01-01", "5", "Z")},
                              {"notes.txt", "nothing"}}));
    } else if (kind == "XML") {
        path = m_dir->filePath("ONE.XML");
        WriteBytes(path, Document("1", "2024-01-01", "5", "Z"));
    } else if (kind == "empty") {
        path = m_dir->filePath("empty");
        QDir().mkpath(path);
    } else {
        path = m_dir->filePath("doc.txt");
        WriteBytes(path, Document("1", "2024-01-01", "5", "Z"));
    }
    MakeForm();
    ReadSource(path);
    QCOMPARE(StatusText(), text.arg(path));
    QCOMPARE(StatusColour(), rows ? QColor(0, 128, 0) : QColor(192, 0, 0));
    QCOMPARE(m_form->Table().Rows.size(), std::size_t(rows));
    QCOMPARE(Find<QTableView>("List")->model()->rowCount(), rows);
    QCOMPARE(Find<QToolButton>("CommandSaveAs")->isEnabled(), rows > 0);
    auto* header = qobject_cast<CheckAllHeader*>(Find<QTableView>("List")->horizontalHeader());
    QVERIFY(header);
    QCOMPARE(header->IsChecked(), rows > 0);
    // Problems never reach the status text.
    QVERIFY(!StatusText().contains("notes"));
}

void TestForm1::notFoundThenSuccessColours() {
    const QString empty = m_dir->filePath("empty");
    QDir().mkpath(empty);
    const QString good = MakeFolder("good", {{"1", "2024-03-05", "1", "A"}});
    MakeForm();
    ReadSource(empty);
    QCOMPARE(StatusColour(), QColor(192, 0, 0));
    // "Обработка ..." keeps the colour it finds.
    m_form->ShowStatusText(QStringLiteral("Обработка ..."), StatusColorUnchanged);
    QCOMPARE(StatusColour(), QColor(192, 0, 0));
    ReadSource(good);
    QCOMPARE(StatusColour(), QColor(0, 128, 0));
    QVERIFY(StatusText().startsWith(QStringLiteral("Успешно прочитан 1 документ")));
}

void TestForm1::sourceChosenDuringARunWaits() {
    QList<QStringList> many;
    for (int i = 0; i < 400; ++i)
        many.append({QString::number(i), "2024-03-05", "1", "A"});
    const QString big = MakeFolder("big", many);
    const QString small =
        MakeFolder("small", {{"1", "2024-03-05", "1", "A"}, {"2", "2024-03-05", "1", "B"}});
    MakeForm();
    auto* box = Find<QLineEdit>("TxtFileIn");
    box->setText(big);
    QTRY_VERIFY(m_form->IsReading() || StatusText() != QStringLiteral("Готов к работе ..."));
    box->setText(small);
    QTRY_COMPARE(StatusText(), QStringLiteral("Успешно прочитано 2 документа в '%1'").arg(small));
    QTRY_VERIFY(!m_form->IsReading() && !Find<QTimer>("ReadTimer")->isActive());
    QCOMPARE(StatusText(), QStringLiteral("Успешно прочитано 2 документа в '%1'").arg(small));
    QCOMPARE(m_form->Table().Rows.size(), std::size_t(2));
}

void TestForm1::closingDuringARun() {
    QList<QStringList> many;
    for (int i = 0; i < 300; ++i)
        many.append({QString::number(i), "2024-03-05", "1", "A"});
    const QString big = MakeFolder("big", many);
    MakeForm();
    Find<QLineEdit>("TxtFileIn")->setText(big);
    QTRY_VERIFY(m_form->IsReading() || !m_form->Table().Rows.empty());
    if (m_form->IsReading()) QVERIFY(!Find<QToolButton>("CommandSaveAs")->isEnabled());
    m_form.reset(); // stops and waits for the reading thread; nothing arrives afterwards
    QTest::qWait(50);
}

void TestForm1::drops_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<bool>("taken");
    QTest::newRow("folder on the box") << "TxtFileIn" << QStringList{"docs"} << true;
    QTest::newRow("archive on the list") << "List" << QStringList{"a.ZIP"} << true;
    QTest::newRow("xml on the box") << "TxtFileIn" << QStringList{"one.xml"} << true;
    QTest::newRow("other extension ignored") << "TxtFileIn" << QStringList{"notes.txt"} << false;
    QTest::newRow("missing file ignored") << "List" << QStringList{"gone.xml"} << false;
    QTest::newRow("only the first counts")
        << "TxtFileIn" << QStringList{"notes.txt", "one.xml"} << false;
}

void TestForm1::drops() {
    QFETCH(QString, target);
    QFETCH(QStringList, dropped);
    QFETCH(bool, taken);
    MakeFolder("docs", {{"1", "2024-03-05", "1", "A"}});
    WriteBytes(m_dir->filePath("a.ZIP"), Zip({{"a.xml", Document("7", "2024-01-01", "5", "Z")}}));
    WriteBytes(m_dir->filePath("one.xml"), Document("1", "2024-01-01", "5", "Z"));
    WriteBytes(m_dir->filePath("notes.txt"), "x");
    MakeForm();
    auto* box = Find<QLineEdit>("TxtFileIn");
    box->setText(QStringLiteral("before"));

    QWidget* widget = target == "List" ? Find<QTableView>("List")->viewport() : box;
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& name : dropped)
        urls << QUrl::fromLocalFile(m_dir->filePath(name));
    data.setUrls(urls);
    const QPoint at = widget->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QCOMPARE(enter.isAccepted(), taken);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    QCOMPARE(box->text(), taken ? m_dir->filePath(dropped.front()) : QStringLiteral("before"));
    if (taken) QTRY_VERIFY(StatusText().startsWith(QStringLiteral("Успешно")));
}

void TestForm1::checkAllBox() {
    const QString folder = MakeFolder("docs", {{"1", "2024-03-05", "1", "A"},
                                               {"2", "2024-03-05", "2", "B"},
                                               {"3", "2024-03-05", "3", "C"}});
    MakeForm();
    ReadSource(folder);
    auto* list = Find<QTableView>("List");
    auto* header = qobject_cast<CheckAllHeader*>(list->horizontalHeader());
    QAbstractItemModel* model = list->model();
    // One row unchecked by hand first.
    QVERIFY(model->setData(model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!m_form->Table().Rows[1].Checked);

    const QPoint box = header->CheckBoxRect().center();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, box);
    QVERIFY(!header->IsChecked());
    for (const DocumentRow& row : m_form->Table().Rows)
        QVERIFY(!row.Checked);
    QCOMPARE(model->index(2, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, box);
    QVERIFY(header->IsChecked());
    for (const DocumentRow& row : m_form->Table().Rows)
        QVERIFY(row.Checked);
    // The box is not a sort click.
    QVERIFY(!header->isSortIndicatorShown());
    // Checking rows leaves the save button as the read left it.
    QVERIFY(Find<QToolButton>("CommandSaveAs")->isEnabled());
}

void TestForm1::sortByHeader() {
    MakeForm();
    auto* list = Find<QTableView>("List");
    QHeaderView* header = list->horizontalHeader();
    const auto clickSection = [&](int section) {
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) - 6,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    // An empty list ignores header clicks.
    clickSection(0);
    QVERIFY(!header->isSortIndicatorShown());

    const QString folder =
        MakeFolder("docs", {{"10", "2024-03-05", "300", QStringLiteral("Яблоко")},
                            {"9", "2024-01-05", "1000", QStringLiteral("арбуз")},
                            {"100", "2023-12-31", "25.5", QStringLiteral("Банан")}});
    ReadSource(folder);
    const auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            texts << list->model()->index(r, c).data().toString();
        return texts;
    };
    const auto numbers = [&] { return column(0); };

    clickSection(0); // numbers by value
    QCOMPARE(numbers(), (QStringList{"9", "10", "100"}));
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    clickSection(0); // a second click does not reverse
    QCOMPARE(numbers(), (QStringList{"9", "10", "100"}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

    clickSection(2); // currency amounts by value
    QCOMPARE(numbers(), (QStringList{"100", "10", "9"}));
    QCOMPARE(header->sortIndicatorSection(), 2);

    clickSection(1); // dates by day
    QCOMPARE(numbers(), (QStringList{"100", "9", "10"}));

    clickSection(3); // text in the user's collation, case aside
    QCOMPARE(column(3), (QStringList{QStringLiteral("арбуз"), QStringLiteral("Банан"),
                                     QStringLiteral("Яблоко")}));
    // The table itself is reordered: the export and the stripes follow.
    QCOMPARE(m_form->Table().Rows.front().DisplayText(0), QStringLiteral("9"));
    const QModelIndex first = list->model()->index(0, 1), second = list->model()->index(1, 1),
                      third = list->model()->index(2, 1);
    QCOMPARE(first.data(Qt::BackgroundRole).value<QColor>(), QColor(238, 238, 238));
    QVERIFY(!second.data(Qt::BackgroundRole).isValid());
    QCOMPARE(third.data(Qt::BackgroundRole).value<QColor>(), QColor(238, 238, 238));
    QCOMPARE(int(list->model()->index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight),
             int(Qt::AlignRight));
}

void TestForm1::sortIsKeptForTheNextRead() {
    const QString first =
        MakeFolder("one", {{"5", "2024-03-05", "1", "A"}, {"12", "2024-03-05", "2", "B"}});
    const QString second = MakeFolder("two", {{"30", "2024-03-05", "1", "A"},
                                              {"4", "2024-03-05", "2", "B"},
                                              {"100", "2024-03-05", "2", "C"}});
    MakeForm();
    ReadSource(first);
    auto* list = Find<QTableView>("List");
    QHeaderView* header = list->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionSize(0) - 6, header->height() / 2));
    ReadSource(second);
    QStringList numbers;
    for (const DocumentRow& row : m_form->Table().Rows)
        numbers << row.DisplayText(0);
    QCOMPARE(numbers, (QStringList{"4", "30", "100"}));
    QCOMPARE(header->sortIndicatorSection(), 0);
}

void TestForm1::gridFollowsTheCurrentRow() {
    const QString folder = MakeFolder(
        "docs", {{"1", "2024-03-05", "1", QStringLiteral("Первый")}, {"2", "2024-03-05", "2", ""}});
    MakeForm();
    ReadSource(folder);
    auto* list = Find<QTableView>("List");
    auto* grid = Find<QTableWidget>("Grid1");
    QVERIFY(!grid->isEnabled());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 1)).center());
    QVERIFY(grid->isEnabled());
    QCOMPARE(grid->item(3, 0)->text(), QStringLiteral("Получатель"));
    QCOMPARE(grid->item(3, 1)->text(), QStringLiteral("Первый"));
    QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("1"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex().row(), 1);
    QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("2"));
    QCOMPARE(grid->item(3, 1)->text(), QString()); // no value: empty cell, not the last one's
    QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Реквизит"));
    QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Значение"));
}

void TestForm1::datePickerDropsTimeOfUserDate() {
    MakeForm();
    auto* picker = Find<QDateTimeEdit>("DTPicker1");
    picker->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(14, 37)));
    QCOMPARE(picker->time(), QTime(0, 0)); // the window is visible: a set date counts from midnight
    picker->setFocus();
    picker->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(picker, Qt::Key_Up);
    QCOMPARE(picker->date(), QDate(2024, 3, 6));
    QCOMPARE(picker->time(), QTime(0, 0));
    // Typing a two-digit day is not disturbed by the time going to midnight.
    picker->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(picker, "17");
    QCOMPARE(picker->date(), QDate(2024, 3, 17));
    QCOMPARE(picker->time(), QTime(0, 0));
    // A time typed after the date stays.
    picker->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(picker, Qt::Key_Up);
    QCOMPARE(picker->time(), QTime(1, 0));
    QCOMPARE(picker->date(), QDate(2024, 3, 17));
}

void TestForm1::saveThroughTheDialog() {
    const QString folder =
        MakeFolder("docs_2024", {{"1", "2024-03-05", "10", "A"}, {"2", "2024-03-05", "20", "B"}});
    MakeForm();
    ReadSource(folder);
    m_form->findChild<QAction*>("mnuOpenAfter")->setChecked(false);
    // The second file type with a name typed in the first type's extension: the type decides.
    const QString target = m_dir->filePath("out.txt");
    QString suggested;
    QStringList filters;
    const bool seen =
        WithModal<QFileDialog>([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                               [&](QFileDialog* dialog) {
                                   filters = dialog->nameFilters();
                                   suggested = dialog->selectedFiles().value(0);
                                   dialog->selectNameFilter(filters.value(1));
                                   dialog->findChild<QLineEdit*>("fileNameEdit")->setText(target);
                                   static_cast<QDialog*>(dialog)->accept();
                               });
    QVERIFY(seen);
    QCOMPARE(filters,
             (QStringList{QStringLiteral("Выписка (*.txt)"), QStringLiteral("Таблица (*.csv)")}));
    QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("2024.csv"));
    QFile out(target);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), QByteArray("CSV\r\n1\r\n2\r\n"));
    QCOMPARE(StatusText(), QStringLiteral("Документы успешно сохранены в '%1'").arg(target));
    QCOMPARE(StatusColour(), QColor(0, 128, 0));

    // The seam: the date picker's day and time reach the header.
    m_form->findChild<QDateTimeEdit*>("DTPicker1")
        ->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    const QString second = m_dir->filePath("second.txt");
    QVERIFY(m_form->SaveTo(second, 0));
    QFile secondFile(second);
    QVERIFY(secondFile.open(QIODevice::ReadOnly));
    QCOMPARE(secondFile.readAll(), QByteArray("TXT 05.03.2024 00:00\r\n1;10\r\n2;20\r\nEND"));
}

void TestForm1::saveFailureIsReported() {
    const QString folder = MakeFolder("docs", {{"1", "2024-03-05", "10", "A"}});
    MakeForm();
    ReadSource(folder);
    // A folder stands where the file should go: the write fails and the folder stays.
    const QString blocked = m_dir->filePath("blocked.txt");
    QDir().mkpath(blocked + "/inner");
    QVERIFY(!m_form->SaveTo(blocked, 0));
    QCOMPARE(StatusText(), QStringLiteral("Ошибка! Не удалось сохранить файл!"));
    QCOMPARE(StatusColour(), QColor(192, 0, 0));
    auto* problems = Find<QLabel>("StatusProblems");
    QVERIFY(problems->isVisibleTo(m_form.get()));
    QVERIFY(problems->toolTip().contains("blocked.txt"));
    QVERIFY(QFileInfo(blocked + "/inner").isDir());

    // An existing statement survives a failed save over it (missing template folder path).
    const QString kept = m_dir->filePath("kept.txt");
    WriteBytes(kept, "old");
    QVERIFY(QFile::remove(m_config + QStringLiteral("Выписка.txt.tpl")));
    QVERIFY(QFile::remove(m_config + QStringLiteral("Таблица.csv.tpl")));
    QVERIFY(!m_form->SaveTo(kept, 0));
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), QByteArray("old"));
}

void TestForm1::saveWithoutTemplatesSaysSo() {
    const QString folder = MakeFolder("docs", {{"1", "2024-03-05", "10", "A"}});
    QVERIFY(QFile::remove(m_config + QStringLiteral("Выписка.txt.tpl")));
    QVERIFY(QFile::remove(m_config + QStringLiteral("Таблица.csv.tpl")));
    MakeForm();
    ReadSource(folder);
    const bool dialogShown = WithModal<QDialog>(
        [&] { Find<QToolButton>("CommandSaveAs")->click(); }, [](QDialog* d) { d->reject(); });
    QVERIFY(!dialogShown);
    QVERIFY(StatusText().contains(QDir::toNativeSeparators(QDir(m_config).absolutePath())));
    QCOMPARE(StatusColour(), QColor(192, 0, 0));
}

void TestForm1::secondaryWindows_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("dialogClass");
    QTest::newRow("logo opens About") << "AlphaLogo"
                                      << "FormAbout";
    QTest::newRow("settings button opens options") << "OptionsBtn"
                                                   << "OptionsDlg";
}

void TestForm1::secondaryWindows() {
    QFETCH(QString, trigger);
    QFETCH(QString, dialogClass);
    MakeForm();
    auto* widget = Find<QWidget>(trigger);
    QString opened;
    const bool seen = WithModal<QDialog>(
        [&] { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); },
        [&](QDialog* dialog) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        });
    QVERIFY(seen);
    QCOMPARE(opened, dialogClass);
    if (trigger == "AlphaLogo") QCOMPARE(widget->cursor().shape(), Qt::PointingHandCursor);
}

void TestForm1::layoutFollowsResize() {
    MakeForm();
    m_form->resize(1200, 800);
    QTRY_COMPARE(m_form->size(), QSize(1200, 800));
    auto* client = m_form->centralWidget();
    auto* list = Find<QTableView>("List");
    auto* logo = Find<QLabel>("AlphaLogo");
    auto* save = Find<QToolButton>("CommandSaveAs");
    auto* pic = Find<QWidget>("PicCont");
    QTRY_COMPARE(list->width(), client->width() - 22);
    QCOMPARE(logo->geometry().right() + 1, client->width());
    QCOMPARE(save->geometry().right() + 1, pic->width());
    QVERIFY(Find<QTableWidget>("Grid1")->geometry().bottom() < pic->geometry().top());
    m_form->resize(600, 400);
    QCOMPARE(m_form->size(), QSize(800, 600));
}

void TestForm1::splitButtonMenus_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("menu");
    QTest::newRow("open") << "CommandOpen"
                          << "mnuOpn";
    QTest::newRow("save") << "CommandSaveAs"
                          << "mnuSave";
}

void TestForm1::splitButtonMenus() {
    QFETCH(QString, button);
    QFETCH(QString, menu);
    MakeForm();
    auto* tool = Find<QToolButton>(button);
    tool->setEnabled(true);
    QRect shown;
    QString shownName;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            poll.stop();
            shown = popup->geometry();
            shownName = popup->objectName();
            popup->close();
        }
    });
    poll.start();
    tool->showMenu();
    QCOMPARE(shownName, menu);
    // Right-aligned with the button's right edge, just below it.
    const QPoint corner = tool->mapToGlobal(QPoint(tool->width(), tool->height()));
    QCOMPARE(shown.right() + 1, corner.x());
    QCOMPARE(shown.top(), corner.y());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
