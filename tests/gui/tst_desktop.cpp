// The window as a desktop application: keyboard, "vypiska PATH", remembered places, Qt's own
// dialogs in Russian. Two offscreen screens side by side, so that places can be restored.
#include "WindowFixture.h"
#include "shell/AppStartup.h"
#include "shell/FormAbout.h"
#include "shell/RememberedPlaces.h"

using namespace Qt::StringLiterals;

namespace {
const QRect Left(0, 0, 1280, 800), Right(1280, 0, 1024, 768);
const QString LongCaption = QStringLiteral("Сумма платежа по документу в рублях");
} // namespace

class TestDesktop : public QObject, WindowFixture {
    Q_OBJECT
    QString Stored(const char* key) { return m_settings->ReadVal(User, key, {}).toString(); }

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::screens().size(), 2); }
    void init() {
        const QByteArray map = ("Номер = Номер;Nomer|" + LongCaption + " = Сумма;Summa|").toUtf8();
        MakeFolder(
            {{"TAG.INI", map.constData()}, {"Statement.txt.tpl", "<document>{Nomer}</document>"}},
            {"Nomer", "Summa"});
        Folder("docs", {"1;1.50", "2;2.50", "3;3.50"});
    }

    // Each shortcut opens what its action does; with nothing read, Ctrl+S does nothing.
    void shortcuts_data() {
        AddColumns<QKeySequence, bool, QString>({"keys", "read", "opens"});
        QTest::newRow("Ctrl+O") << QKeySequence("Ctrl+O") << false << "file";
        QTest::newRow("Ctrl+Shift+O") << QKeySequence("Ctrl+Shift+O") << false << "folder";
        QTest::newRow("Ctrl+S") << QKeySequence("Ctrl+S") << true << "save";
        QTest::newRow("Ctrl+S, nothing read") << QKeySequence("Ctrl+S") << false << "";
        QTest::newRow("F1") << QKeySequence("F1") << false << "about";
        QTest::newRow("Ctrl+Q") << QKeySequence("Ctrl+Q") << false << "closed";
    }
    void shortcuts() {
        QFETCH(QKeySequence, keys);
        QFETCH(bool, read);
        QFETCH(QString, opens);
        MakeForm();
        if (read) ReadSource(Path("docs"));
        QString seen;
        const auto press = [&] { QTest::keySequence(m_form.get(), keys); };
        if (opens == "about") {
            WithModal<FormAbout>(press, [&](FormAbout* d) { seen = "about", d->reject(); });
        } else if (opens != "closed") {
            WithModal<QFileDialog>(press, [&](QFileDialog* d) {
                seen = d->acceptMode() == QFileDialog::AcceptSave ? "save"
                       : d->fileMode() == QFileDialog::Directory  ? "folder"
                                                                  : "file";
                d->reject();
            });
        } else {
            press();
            seen = m_form->isVisible() ? "" : "closed";
        }
        QCOMPARE(seen, opens);
        // Every action names its shortcut where the user can see it.
        for (QAction* action : m_form->actions())
            QVERIFY2(
                action->toolTip().contains(action->shortcut().toString(QKeySequence::NativeText)),
                qPrintable(action->toolTip()));
    }

    // The split buttons' menus open from the keyboard as well as by the arrow.
    void buttonMenus_data() {
        AddColumns<QString, QString, int, int>({"button", "menu", "key", "modifiers"});
        for (const auto& [button, menu] :
             {std::pair{"CommandOpen", "mnuOpn"}, {"CommandSaveAs", "mnuSave"}}) {
            QTest::addRow("%s, Alt+Down", button)
                << button << menu << int(Qt::Key_Down) << int(Qt::AltModifier);
            QTest::addRow("%s, menu key", button) << button << menu << int(Qt::Key_Menu) << 0;
        }
    }
    void buttonMenus() {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        MakeForm();
        ReadSource(Path("docs")); // the save button is enabled only with documents
        auto* b = Find<QToolButton>(button);
        b->setFocus();
        QString opened;
        QVERIFY(WithModal<QMenu>(
            [&] { QTest::keyClick(b, Qt::Key(key), Qt::KeyboardModifiers(modifiers)); },
            [&](QMenu* m) { opened = m->objectName(), m->close(); }));
        QTEST(opened, "menu");
    }

    // Tab goes from control to control, leaving the list and the grid in one press; Shift+Tab
    // comes back the same way. Alt and a label's underlined letter go to its control.
    void keyboardFocus() {
        MakeForm();
        ReadSource(Path("docs"));
        const QStringList order{"TxtFileIn",      "CommandOpen",  "FilterEdit", "QuickFilter",
                                "List",           "Grid1",        "OptionsBtn", "DTPicker1",
                                "CommandPreview", "CommandSaveAs"};
        Find<QWidget>("TxtFileIn")->setFocus();
        Find<QTableView>("List")->setCurrentIndex(Find<QTableView>("List")->model()->index(0, 0));
        Find<QWidget>("TxtFileIn")->setFocus();
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
        }
        for (qsizetype i = order.size() - 2; i >= 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
        }
        for (const auto& [letter, control] : {std::pair{u'И', "TxtFileIn"}, {u'Д', "DTPicker1"}}) {
            Find<QWidget>("List")->setFocus();
            // keyClick() takes Latin-1 only: the key and its text by hand.
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(),
                                Qt::Key(QChar(letter).unicode()), QString(QChar(letter)),
                                Qt::AltModifier);
            QVERIFY(QApplication::focusWidget());
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(control));
        }
    }

    // "vypiska PATH": a source the window can read is read at once; anything else is said.
    void openWith_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows"); // -1: not taken
        QTest::addColumn<QString>("problem");
        QTest::newRow("document") << "docs/doc0001.xml" << 1 << "";
        QTest::newRow("another kind of file") << "CONFIG/TAG.INI" << -1 << "не открыт";
        QTest::newRow("missing") << "gone.xml" << -1 << "не найден";
    }
    void openWith() {
        QFETCH(QString, name);
        QFETCH(int, rows);
        QFETCH(QString, problem);
        MakeForm();
        const QString path = Path(name);
        QCOMPARE(m_form->OpenSource(path), rows >= 0);
        QTRY_VERIFY(!Find<QTimer>("ReadTimer")->isActive() && !m_form->IsReading());
        QCOMPARE(int(m_form->Table().Rows.size()), std::max(rows, 0));
        QCOMPARE(Find<QLineEdit>("TxtFileIn")->text(), rows >= 0 ? path : QString());
        if (!problem.isEmpty())
            QVERIFY2(Problems().contains(problem) && Problems().contains(path),
                     qPrintable(Problems()));
    }

    // The window comes back where it was left: on the screen it was on, maximised or not; a
    // place no screen shows well is fitted to the screens, one on none is centred on the first.
    void placement_data() {
        AddColumns<QRect, bool, QRect>({"saved", "maximized", "restored"});
        auto row = [](const char* name, QRect saved, QRect restored, bool maximized = false) {
            QTest::newRow(name) << saved << maximized << restored;
        };
        const QRect left(100, 50, 900, 650), right(1400, 60, 820, 640);
        row("left screen", left, left);
        row("right screen", right, right);
        row("maximised", left, left, true);
        row("over the right edge: moved in", {2000, 100, 900, 650}, {1404, 100, 900, 650});
        row("mostly on the second screen", {1200, 0, 900, 650}, {1280, 0, 900, 650});
        row("taller than the screen: shrunk", {1300, 0, 900, 2000}, {1300, 0, 900, 768});
        row("never below the minimum", {1300, 0, 300, 200}, {1300, 0, 800, 600});
        row("above the top", {100, -300, 900, 650}, {100, 0, 900, 650});
        row("on no screen: centred on the first", {-5000, 0, 900, 650}, {190, 75, 900, 650});
    }
    void placement() {
        QFETCH(QRect, saved);
        QFETCH(bool, maximized);
        QFETCH(QRect, restored);
        QVERIFY(WriteWindowPlacement(*m_settings, {saved, maximized}));
        MakeForm();
        QCOMPARE(m_form->isMaximized(), maximized);
        const QRect normal =
            maximized ? m_form->normalGeometry() : QRect(m_form->pos(), m_form->size());
        QCOMPARE(normal.size(), restored.size());
        if (!maximized) QCOMPARE(normal.topLeft(), restored.topLeft());
        // Moved and closed: the next start finds it there.
        if (!maximized) m_form->move(m_form->pos() + QPoint(10, 20));
        QVERIFY(m_form->close());
        const auto next = ReadWindowPlacement(*m_settings);
        QVERIFY(next);
        QCOMPARE(next->Maximized, maximized);
        QCOMPARE(next->Normal.size(), restored.size());
        if (!maximized) QCOMPARE(next->Normal.topLeft(), restored.topLeft() + QPoint(10, 20));
    }

    // The open dialogs start in the last source's folder; the save dialog in the last statement's
    // folder, else the source's.
    void dialogFolders() {
        MakeForm();
        const auto folderOf = [&](const std::function<void()>& open) {
            QString folder;
            WithModal<QFileDialog>(
                open, [&](QFileDialog* d) { folder = d->directory().path(), d->reject(); });
            return folder;
        };
        ReadSource(Path("docs/doc0001.xml"));
        QCOMPARE(Stored("LastSourceFolder"), QDir::toNativeSeparators(Path("docs")));
        QCOMPARE(folderOf([&] { Find<QAction>("mnuOpenFolder")->trigger(); }), Path("docs"));
        QCOMPARE(folderOf([&] { Find<QAction>("mnuOpenFile")->trigger(); }), Path("docs"));
        QCOMPARE(folderOf([&] { Find<QToolButton>("CommandSaveAs")->click(); }), Path("docs"));
        QDir().mkpath(Path("statements"));
        QVERIFY(m_form->SaveTo(Path("statements/march.txt"), 0));
        QCOMPARE(folderOf([&] { Find<QToolButton>("CommandSaveAs")->click(); }),
                 Path("statements"));
        // A remembered folder that is gone is passed over.
        QVERIFY(QDir(Path("statements")).removeRecursively());
        QCOMPARE(folderOf([&] { Find<QToolButton>("CommandSaveAs")->click(); }), Path("docs"));
    }

    // Qt's own buttons and questions speak Russian once its translations are in.
    void qtDialogsInRussian() {
        QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
        QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), u"Отмена"_s);
        QCOMPARE(box.button(QDialogButtonBox::Yes)->text().remove('&'), u"Да"_s);
    }

    // A sorted column keeps its whole caption; in a wide window the grid's captions are whole.
    void captionsStayWhole() {
        MakeForm();
        m_form->resize(1200, 780);
        ReadSource(Path("docs"));
        auto* list = Find<QTableView>("List");
        QHeaderView* header = list->horizontalHeader();
        const auto clicked = [&](int section) {
            emit header->sectionClicked(section);
            QVERIFY(header->isSortIndicatorShown());
            for (int c = 0; c < header->count(); ++c)
                QVERIFY2(header->sectionSize(c) >= header->sectionSizeHint(c),
                         qPrintable(QString::number(c)));
        };
        clicked(1);
        auto* grid = Find<QTableWidget>("Grid1");
        const QFontMetrics metrics(grid->font());
        QVERIFY(grid->columnWidth(0) > metrics.horizontalAdvance(LongCaption));
        QVERIFY(grid->columnWidth(0) <= grid->width() / 2);
    }
};

// Two screens, as on a desk with a second monitor.
VYPISKA_TEST_RUN([](int argc, char* argv[]) {
    QTemporaryDir dir;
    QStringList screens;
    for (const QRect& r : {Left, Right})
        screens << u"{\"name\": \"%1\", \"x\": %1, \"y\": %2, \"width\": %3, \"height\": %4, "
                   "\"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}"_s.arg(
                       QString::number(r.x()), QString::number(r.y()), QString::number(r.width()),
                       QString::number(r.height()));
    const QString config = WriteFile(
        dir.filePath("screens.json"),
        ("{\"screens\": [" + screens.join(',') + "], \"windowFrameMargins\": false}").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    TestDesktop test;
    return QTest::qExec(&test, argc, argv);
})

#include "tst_desktop.moc"
