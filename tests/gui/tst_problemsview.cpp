// The problems list in the real window: the same rows as vypiska-cli check, a finding's document
// found from it, copy and CSV, and the status line with a long path.
#include "WindowFixture.h"
#include "app/StatusLine.h"

using namespace Qt::StringLiterals;

// Documents are "number;date;amount;payer's ИНН;payer's account;payee's account".
class TestProblemsView : public QObject, WindowFixture {
    Q_OBJECT
    QTableView* View() { return Find<QTableView>("ProblemsView"); }
    ProblemsView* Panel() { return Find<ProblemsView>("ProblemsPanel"); }
    QAbstractItemModel* List() { return Find<QTableView>("List")->model(); }

    // A folder with a finding of each kind a reading and the checks give, and settings with a
    // bad TAG.INI line and a template that is none.
    QString Troubles() {
        const QString folder =
            Folder("in", {"1;2024-03-05;10.00;7707083893", "1;2024-03-05;10.00;7707083893",
                          "2;2024-03-05;;7707083893", "3;2024-03-05;десять;7707083893",
                          "4;2024-03-05;1.005;7707083894"});
        WriteFile(Path("in/zz-broken.xml"),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Doc><Nomer>\xFF</Nomer>"
                  "<Summa>1</Summa></Doc>");
        return folder;
    }

private slots:
    void init() {
        MakeFolder(
            {{"TAG.INI", "Номер = Номер;Nomer|Дата = Дата;Data|Сумма = Сумма;Summa|"
                         "ИНН = ПлательщикИНН;Inn|без знака равенства|"
                         "Счет = ПлательщикСчет;Acc|Счет получателя = ПолучательСчет;Payee|"},
             {"Выписка.txt.tpl", "<document>|{Nomer}|</document>|"},
             {"Пусто.txt.tpl", "nothing|"}},
            {"Nomer", "Data", "Summa", "Inn", "Acc", "Payee"});
        MakeForm();
    }

    // The panel and vypiska-cli check give the same rows, in the same order, each channel of
    // findings (settings, account, reading, checks); the count beside the status line and on the
    // tab follows them.
    void sameRowsAsCheck() {
        const QString source = Troubles();
        ReadSource(source);
        const ProgramRun check =
            RunProgram(VYPISKA_CLI, {"check", "--config", m_config, "--locale", "ru_RU", source});
        QCOMPARE(check.Exit, 4);
        const QString shown = FindingsText(Panel()->Findings());
        QCOMPARE(shown, QString::fromUtf8(check.Out));
        QSet<QString> seen;
        for (const Finding& finding : Panel()->Findings())
            seen << FindingKindText(finding.Kind);
        const QStringList kinds{"настройки", "счет организации", "пропущен", "не прочитан",
                                "повтор",    "сумма",            "реквизит"};
        QCOMPARE(seen, QSet<QString>(kinds.begin(), kinds.end()));
        const int rows = int(Panel()->Findings().size());
        QCOMPARE(View()->model()->rowCount(), rows);
        QCOMPARE(Find<QTabWidget>("DetailTabs")->tabText(1), u"Замечания (%1)"_s.arg(rows));
        QCOMPARE(Find<QToolButton>("ProblemsCount")->text(), u"Замечаний: %1"_s.arg(rows));
        // The kind filter leaves the rows of one kind; it offers the kinds there are, counted,
        // and the tab says how many of all are shown.
        auto* kind = Find<QComboBox>("ProblemsKind");
        QCOMPARE(kind->count(), kinds.size() + 1);
        kind->setCurrentIndex(kind->count() - 1);
        const auto chosen = FindingKind(kind->currentData().toInt());
        const FindingList all = Panel()->Findings();
        const auto left = std::count_if(all.begin(), all.end(),
                                        [&](const Finding& f) { return f.Kind == chosen; });
        QCOMPARE(kind->currentText(), u"%1 (%2)"_s.arg(FindingKindText(chosen)).arg(left));
        QCOMPARE(View()->model()->rowCount(), int(left));
        QCOMPARE(Panel()->ShownFindings().size(), size_t(left));
        QCOMPARE(Find<QTabWidget>("DetailTabs")->tabText(1),
                 u"Замечания (%1 из %2)"_s.arg(left).arg(rows));
        kind->setCurrentIndex(0);
        QCOMPARE(View()->model()->rowCount(), rows);
        // The count opens the list.
        QTest::mouseClick(Find<QToolButton>("ProblemsCount"), Qt::LeftButton);
        QCOMPARE(Find<QTabWidget>("DetailTabs")->currentWidget(), Panel());
    }

    // Enter or a double click on a finding selects its document in the list, after any sort of
    // either; a finding without a document (a file left out) leaves the list as it is.
    void activation_data() {
        AddColumns<QString, bool>({"file", "jumps"});
        QTest::newRow("duplicate") << "doc0001.xml" << true;
        QTest::newRow("left out") << "doc0002.xml" << false;
    }
    void activation() {
        QFETCH(QString, file);
        QFETCH(bool, jumps);
        ReadSource(Troubles());
        Find<QTableView>("List")->horizontalHeader()->sectionClicked(2); // by amount
        View()->sortByColumn(4, Qt::DescendingOrder);
        Find<QTabWidget>("DetailTabs")->setCurrentWidget(Panel());
        auto* list = Find<QTableView>("List");
        list->setCurrentIndex(List()->index(0, 0));
        const QString before = m_form->Table().Rows[0].SourcePath;
        int row = -1;
        for (int r = 0; r < View()->model()->rowCount() && row < 0; ++r)
            if (View()->model()->index(r, 1).data().toString() == file) row = r;
        QVERIFY(row >= 0);
        View()->setFocus();
        View()->setCurrentIndex(View()->model()->index(row, 0));
        QTest::keyClick(View(), Qt::Key_Return);
        const int current = list->currentIndex().row();
        QCOMPARE(m_form->Table().Rows[size_t(current)].SourcePath,
                 jumps ? Path("in/" + file) : before);
        QVERIFY(list->selectionModel()->isRowSelected(current, {}));
    }

    // The duplicate mark's tooltip names the others one a line, never more lines than a
    // screen shows: the rest are counted and left to the problems list.
    void duplicateTip() {
        ReadSource(Folder("dup", QStringList(40, u"1;2024-03-05;10.00;7707083893"_s)));
        const QStringList tip =
            List()->data(List()->index(0, 0), Qt::ToolTipRole).toString().split(u'\n');
        QCOMPARE(tip.size(), 15);
        QCOMPARE(tip[2], u"'doc0001.xml'"_s);
    }

    // Ctrl+C copies the selected rows as text, in the order shown; the CSV holds the rows shown.
    void copyAndCsv() {
        const QString source = Troubles();
        ReadSource(source);
        Find<QTabWidget>("DetailTabs")->setCurrentWidget(Panel());
        auto* kind = Find<QComboBox>("ProblemsKind");
        kind->setCurrentIndex(kind->findData(int(FindingKind::Duplicate)));
        View()->setFocus();
        View()->selectAll();
        QApplication::clipboard()->clear();
        QTest::keySequence(View(), QKeySequence::Copy);
        const QStringList copied = QApplication::clipboard()->text().split('\n');
        QCOMPARE(copied.size(), 4); // the caption line, two rows, the last line end
        QVERIFY(copied[1].startsWith(u"повтор\tdoc0000.xml\tНомер\t1\t"_s));
        QVERIFY(copied[2].startsWith(u"повтор\tdoc0001.xml\tНомер\t1\t"_s));

        const QString csv = Path("out.csv");
        WriteFile(csv, "old");
        QVERIFY(Panel()->SaveTo(csv));
        QCOMPARE(ReadFile(csv).count("\r\n"), 3); // the caption line and the two rows shown
        // A folder in the way: the save says why, nothing else changes.
        QDir().mkpath(Path("dir.csv"));
        QString error;
        QVERIFY(!Panel()->SaveTo(Path("dir.csv"), &error) && !error.isEmpty());
        // Nor does the list ever replace a document being read.
        const QString doc = source + "/doc0000.xml";
        const QByteArray before = ReadFile(doc);
        QVERIFY(!Panel()->SaveTo(doc, &error) && error.contains(u"исходный файл"_s));
        QCOMPARE(ReadFile(doc), before);
    }

    // The status text stays whole (for the tests and the tooltip) however long its path, and its
    // label never runs under the totals.
    void longPathStatus() {
        const QString folder =
            Folder(QString(120, u'п') + "/" + QString(60, u'x'), {"1;2024-03-05;10.00;7707083893"});
        ReadSource(folder);
        const QString whole = u"Успешно прочитан 1 документ в '%1'"_s.arg(folder);
        auto* text = Find<QLabel>("StatusText");
        QCOMPARE(text->text(), whole);
        QCOMPARE(text->toolTip(), whole);
        auto* totals = Find<QLabel>("TotalsPanel");
        QVERIFY(totals->isVisible());
        QVERIFY(text->mapToGlobal(text->rect().topRight()).x() < totals->mapToGlobal(QPoint()).x());
    }
};

VYPISKA_TEST_MAIN(TestProblemsView)
#include "tst_problemsview.moc"
