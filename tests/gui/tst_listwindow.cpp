// The list at scale, in the real window: the filter bar, checking from the keyboard, columns
// that are fitted and remembered, and the preview's find box.
#include "WindowFixture.h"
#include "app/CheckAllHeader.h"
#include "app/PreviewDlg.h"
#include "app/StatementLines.h"
#include "app/StatementView.h"
#include "text/Cp1251.h"

#include <QSortFilterProxyModel>

using namespace Qt::StringLiterals;

namespace {
// Documents are "number;date;amount;payer;payer's ИНН".
const QStringList Docs = {u"1;2024-03-05;100;ООО Звёздочка;7707083893"_s,
                          u"2;2024-03-06;200;ИП Семёнов;7707083893"_s,
                          u"3;2024-03-07;300;ЗАО Ромашка;7707083894"_s,   // a mistyped ИНН
                          u"1;2024-03-05;100;ООО Звёздочка;7707083893"_s, // the first, listed twice
                          u"5;2024-03-08;18000000;Семенов А.;7707083893"_s};
} // namespace

class TestListWindow : public QObject, WindowFixture {
    Q_OBJECT
    QTableView* List() { return Find<QTableView>("List"); }
    CheckAllHeader* Header() { return qobject_cast<CheckAllHeader*>(List()->horizontalHeader()); }
    QString Totals() { return Find<QLabel>("TotalsPanel")->text(); }
    // The numbers of the rows shown, top to bottom; a '-' before the unchecked ones.
    QString Shown() {
        QStringList numbers;
        QAbstractItemModel* model = List()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            const QModelIndex first = model->index(r, 0);
            numbers << (first.data(Qt::CheckStateRole).toInt() == Qt::Checked ? "" : "-") +
                           first.data().toString();
        }
        return numbers.join(' ');
    }
    void Type(const QString& text) {
        auto* edit = Find<QLineEdit>("FilterEdit");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        TypeText(edit, text);
    }

private slots:
    void init() {
        MakeFolder({{"TAG.INI", "Номер = Номер;N|Дата = Дата;D|Сумма = Сумма;S|"
                                "Плательщик = Плательщик1;P|ИНН = ПлательщикИНН;I|"
                                "КБК = ПоказательКБК;K|"},
                    {"Выписка.txt.tpl", "<header>|H|</header>|<document>|{N};{S}|</document>|"}},
                   {"N", "D", "S", "P", "I", "K"});
        MakeForm();
        ReadSource(Folder("docs", Docs));
    }

    // Typing narrows the rows (any column, any case, "ё" as "е"), Esc clears;
    // the totals say what is shown and still count what is hidden, and so does the statement.
    void filter() {
        QCOMPARE(Shown(), u"1 2 3 1 5"_s);
        // The grid shows the current document while it is shown, and none once it is hidden.
        const auto inGrid = [this](const QString& text) {
            return !Find<QTableWidget>("Grid1")->findItems(text, Qt::MatchExactly).isEmpty();
        };
        List()->setCurrentIndex(List()->model()->index(2, 1));
        QVERIFY(inGrid(u"ЗАО Ромашка"_s));
        Type(u"ромаш"_s);
        QVERIFY(inGrid(u"ЗАО Ромашка"_s));
        Type(u"семен"_s);
        QVERIFY(!inGrid(u"ЗАО Ромашка"_s));
        Type(QString());
        QTest::keyClick(m_form.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(Find<QLineEdit>("FilterEdit")->hasFocus());
        TypeText(Find<QLineEdit>("FilterEdit"), u"СЕМЕН"_s);
        QCOMPARE(Shown(), u"2 5"_s);
        QCOMPARE(Totals(),
                 u"Показано 2 из 5 · Отмечено: 5 из 5 · 18 000 700,00 ₽ "
                 u"(скрыто отмеченных: 3)"_s);
        // A sort orders what is shown, and what is hidden with it.
        Type(u"7707083893"_s);
        QCOMPARE(Shown(), u"1 2 1 5"_s);
        QTest::mouseClick(Header()->viewport(), Qt::LeftButton, {},
                          QPoint(Header()->sectionViewportPosition(3) + 20, 5)); // payer
        QCOMPARE(Shown(), u"2 1 1 5"_s);
        QTest::keyClick(Find<QLineEdit>("FilterEdit"), Qt::Key_Escape);
        QCOMPARE(Find<QLineEdit>("FilterEdit")->text(), QString());
        QCOMPARE(Shown(), u"3 2 1 1 5"_s);
        QVERIFY(Totals().startsWith(u"Отмечено: 5 из 5"_s));
        // The statement takes every checked document, the hidden ones too.
        Type(u"ромашка"_s);
        QCOMPARE(Shown(), u"3"_s);
        // A check mark changed on a hidden row is counted at once.
        QAbstractItemModel* table =
            qobject_cast<QSortFilterProxyModel*>(List()->model())->sourceModel();
        for (const auto& [state, totals] :
             {std::pair{Qt::Unchecked, "Отмечено: 4 из 5"}, {Qt::Checked, "Отмечено: 5 из 5"}}) {
            QVERIFY(table->setData(table->index(1, 0), state, Qt::CheckStateRole));
            QVERIFY2(Totals().contains(QString::fromUtf8(totals)), qPrintable(Totals()));
        }
        QVERIFY(m_form->SaveTo(Path("out.txt"), 0));
        QCOMPARE(ReadFile(Path("out.txt")).count(';'), 5);
    }

    // Space checks or unchecks every selected row, from any column; the header's box is
    // partly checked when some rows are, and with a filter on it acts on the rows shown.
    void keyboardChecks() {
        QTableView* list = List();
        list->setFocus();
        list->setCurrentIndex(list->model()->index(0, 3));
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier); // rows 1 and 2, in column 3
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(Shown(), u"-1 -2 3 1 5"_s);
        QCOMPARE(Header()->State(), Qt::PartiallyChecked);
        list->setCurrentIndex(list->model()->index(2, 1));
        QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier); // one unchecked, one checked
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(Shown(), u"-1 2 3 1 5"_s);
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list->selectionModel()->selectedRows().size(), 5);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(Shown(), u"1 2 3 1 5"_s);
        QCOMPARE(Header()->State(), Qt::Checked);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(Header()->State(), Qt::Unchecked);

        Type(u"звезд"_s);
        const QPoint box = Header()->CheckBoxRect().center();
        QTest::mouseClick(Header()->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(Header()->State(), Qt::Checked); // of the rows shown
        Type(QString());
        QCOMPARE(Shown(), u"1 -2 -3 1 -5"_s);
        QCOMPARE(Header()->State(), Qt::PartiallyChecked);
        QTest::mouseClick(Header()->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(Shown(), u"1 2 3 1 5"_s);
    }

    // Widths fit values from the whole list (the long amount is the last row); a width set by
    // hand, the order of the columns, the sort and the split are there again next time.
    void columnsRemembered() {
        QTableView* list = List();
        QHeaderView* header = list->horizontalHeader();
        const QString longest = list->model()->index(4, 2).data().toString();
        QVERIFY(header->sectionSize(2) >= list->fontMetrics().horizontalAdvance(longest));
        QVERIFY(header->isSectionHidden(5)); // a tax field, until shown
        header->setSectionHidden(5, false);
        header->setSectionHidden(1, true);
        header->resizeSection(3, 222);
        header->moveSection(header->visualIndex(4), 0);
        // A click on the sorted column turns the order round, the next one back again.
        for (const char* order : {"1 1 2 3 5", "5 3 2 1 1", "1 1 2 3 5", "5 3 2 1 1"}) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(2) + 10, 5));
            QCOMPARE(Shown(), QString::fromUtf8(order));
        }
        auto* splitter = Find<QSplitter>("ListSplitter");
        const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
        splitter->setSizes({total / 4, total - total / 4});
        emit splitter->splitterMoved(total / 4, 1);
        m_form->close();

        MakeForm();
        list = List();
        header = list->horizontalHeader();
        QCOMPARE(header->sectionSize(3), 222);
        QVERIFY(header->isSectionHidden(1) && !header->isSectionHidden(5));
        QCOMPARE(header->logicalIndex(0), 4);
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        splitter = Find<QSplitter>("ListSplitter");
        const QList<int> sizes = splitter->sizes();
        QVERIFY2(qAbs(sizes[0] * 4 - (sizes[0] + sizes[1])) < 20,
                 qPrintable(QString::number(sizes[0])));
        ReadSource(Path("docs"));
        QCOMPARE(Shown(), u"5 3 2 1 1"_s); // by amount, as left
        QCOMPARE(header->sectionSize(3), 222);
    }

    // Ctrl+C copies the selected rows in the order shown, with the captions; the context menu
    // unchecks them and shows a document's findings. A duplicate's number fits beside its icon.
    void copyAndMenu() {
        QTableView* list = List();
        list->setFocus();
        list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select |
                                                                       QItemSelectionModel::Rows);
        list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select |
                                                                       QItemSelectionModel::Rows);
        QApplication::clipboard()->clear();
        QTest::keySequence(list, QKeySequence::Copy);
        const QStringList copied = QApplication::clipboard()->text().split('\n');
        QCOMPARE(copied.size(), 4); // the captions, two rows, the last line end
        QCOMPARE(copied[0], u"Номер\tДата\tСумма\tПлательщик\tИНН\tКБК"_s);
        QVERIFY(copied[1].startsWith(u"1\t"_s) && copied[2].startsWith(u"3\t"_s));
        const auto menu = [&](int row, const QString& item) {
            const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
            return WithModal<QMenu>([&] { QApplication::sendEvent(list->viewport(), &event); },
                                    [&](QMenu* m) {
                                        for (QAction* a : m->actions())
                                            if (a->text() == item) m->setActiveAction(a);
                                        QTest::keyClick(m, Qt::Key_Return);
                                    });
        };
        QVERIFY(menu(0, u"Снять отметку"_s));
        QCOMPARE(Shown(), u"-1 2 -3 1 5"_s);
        QVERIFY(menu(2, u"Показать замечания"_s));
        QCOMPARE(Find<QTabWidget>("DetailTabs")->currentWidget(), Find<QWidget>("ProblemsPanel"));
        QCOMPARE(Find<QTableView>("ProblemsView")->currentIndex().siblingAtColumn(1).data(),
                 QVariant(u"doc0002.xml"_s));
        ReadSource(Folder("long", {u"1000000000001;2024-03-05;1;ООО;7707083893"_s,
                                   u"1000000000001;2024-03-05;1;ООО;7707083893"_s}));
        QVERIFY(list->columnWidth(0) >= list->sizeHintForIndex(list->model()->index(0, 0)).width());
        // A long list is fitted a column at a time, once all are read.
        QStringList many(5001, u"1;2024-03-05;1;ООО;7707083893"_s);
        many.last() = u"1000000000000001;2024-03-05;1;ООО;7707083893"_s;
        ReadSource(Folder("many", many));
        const QModelIndex widest = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                        u"1000000000000001"_s)[0];
        QTRY_VERIFY(list->columnWidth(0) >= list->sizeHintForIndex(widest).width());
    }

    // The preview shows the statement as it is made, line for line however it comes in pieces
    // (cut inside a line, between CR and LF; a CR alone stays); closed midway, it stops the
    // making and lets the lines go.
    void previewPieces_data() {
        QTest::addColumn<int>("pieceSize");
        QTest::newRow("whole") << 100;
        QTest::newRow("a byte at a time") << 1;
        QTest::newRow("cut inside lines") << 7;
    }
    void previewPieces() {
        QFETCH(int, pieceSize);
        const QByteArray bytes = "H\r\nline\r1\r\n\r\n\xC0\xE1;end";
        std::atomic_bool stopped = false;
        TemplateInfo info;
        PreviewDlg preview(
            {info}, 0,
            [&](const TemplateInfo&, const PreviewDlg::PieceSink& sink,
                const ExportProgress& progress) {
                for (qsizetype at = 0; at < bytes.size(); at += pieceSize)
                    sink(bytes.mid(at, pieceSize));
                while (progress(1, 2)) // until the dialog closes
                    QThread::msleep(1);
                stopped = true;
                return ExportResult{false, ExportStoppedText, ExportFailure::Stopped, {}};
            },
            QString());
        preview.show();
        auto* lines = preview.findChild<StatementLines*>();
        QTRY_COMPARE(preview.Text(), Cp1251::Decode(bytes));
        QStringList shown;
        for (int r = 0; r < lines->rowCount(); ++r)
            shown << lines->Line(r);
        QCOMPARE(shown, QStringList({"H", "line\r1", "", u"Аб;end"_s}));
        QVERIFY(preview.IsBuilding() && preview.findChild<QProgressBar*>("PreviewProgress")->isVisible());
        preview.reject();
        QVERIFY(stopped && !preview.IsBuilding());
        QCOMPARE(lines->rowCount(), 1);
    }

    // Enter in the find box finds the next match, Shift+Enter the one before, going round at
    // either end and saying so, or saying that nothing is found; neither saves.
    void previewFind() {
        int found = -1, back = -1;
        QString wrapped, notFound;
        bool saveAsked = false, done = false;
        WhileModal(
            [&] {
                // A button's shortcut clicks it a moment later.
                QTest::keyClick(m_form.get(), Qt::Key_P, Qt::ControlModifier);
                QVERIFY(QTest::qWaitFor([&] { return done; }));
            },
            [&](QWidget* dialog) {
                if (qobject_cast<QFileDialog*>(dialog)) {
                    saveAsked = true;
                    static_cast<QDialog*>(dialog)->reject();
                }
                auto* preview = qobject_cast<PreviewDlg*>(dialog);
                if (!preview) return;
                auto* find = preview->findChild<QLineEdit*>("PreviewFind");
                auto* view = preview->findChild<StatementView*>("PreviewText");
                auto* said = preview->findChild<QLabel*>("PreviewFindStatus");
                QTRY_VERIFY(!preview->IsBuilding());
                find->setFocus();
                QTest::keyClicks(find, "100"); // in the 1st and the 4th document
                const int first = view->CurrentLine();
                QTest::keyClick(find, Qt::Key_Return);
                found = view->CurrentLine() - first;
                QTest::keyClick(find, Qt::Key_Return, Qt::ShiftModifier);
                back = view->CurrentLine() - first;
                QTest::keyClick(find, Qt::Key_Return, Qt::ShiftModifier);
                wrapped = said->text() + u'|' + QString::number(view->CurrentLine() - first);
                QTest::keyClicks(find, "x");
                notFound = said->text();
                QTest::keyClick(find, Qt::Key_Enter);
                QVERIFY(preview->isVisible());
                preview->reject();
                done = true;
            });
        QCOMPARE(found, 3);
        QCOMPARE(back, 0);
        QCOMPARE(wrapped, u"поиск продолжен с конца|3"_s);
        QCOMPARE(notFound, u"не найдено"_s);
        QVERIFY(!saveAsked);
    }
};

VYPISKA_TEST_MAIN(TestListWindow)
#include "tst_listwindow.moc"
