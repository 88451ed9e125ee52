// Totals, requisite checks, duplicates, the preview and cancelling a read, in the real window.
#include "WindowFixture.h"
#include "app/CheckAllHeader.h"
#include "app/PreviewDlg.h"
#include "app/StatusLine.h"
#include "presentation/ReadingStatus.h"
#include "reading/ReadingRun.h"

using namespace Qt::StringLiterals;

// Documents are "number;date;amount;payer's ИНН;account;BIC;payee's account".
const QString Valid = u";7707083893;40702810938000012345;044525225"_s;

class TestChecksWindow : public QObject, WindowFixture {
    Q_OBJECT
    QString Totals() { return Find<QLabel>("TotalsPanel")->text(); }
    QAbstractItemModel* Model() { return Find<QTableView>("List")->model(); }

private slots:
    void init() {
        MakeFolder(
            {{"TAG.INI", "Номер = Номер;Nomer|Дата = Дата;Data|Сумма = Сумма;Summa|"
                         "ИНН = ПлательщикИНН;Inn|Счет = ПлательщикСчет;Acc|"
                         "БИК = ПлательщикБИК;Bic|Счет получателя = ПолучательСчет;Payee|"},
             {"Выписка.txt.tpl", "<header>|TXT {Count} {Total} {FirstDate}-{LastDate}|"
                                 "</header>|<document>|{Nomer};{Summa}|</document>|"
                                 "<footer>|END|</footer>|"},
             {"Таблица.csv.tpl", "<header>|CSV ☺|</header>|<document>|{Nomer}|</document>|"}},
            {"Nomer", "Data", "Summa", "Inn", "Acc", "Bic", "Payee"});
        MakeForm();
    }

    // The totals follow the check-all box and each reading; failing values are tinted with why,
    // in the list and the grid; duplicates are marked and named.
    void totalsChecksAndDuplicates() {
        QVERIFY(!Find<QLabel>("TotalsPanel")->isVisibleTo(m_form.get()));
        ReadSource(Folder("a", {"1;2024-03-05;0.10" + Valid, "2;2024-03-06;0.20" + Valid,
                                "1;05.03.2024;0,1" + Valid,
                                "3;2024-03-07;1000000;7707083894;40702810938000012346;044525225"}));
        QVERIFY(Find<QLabel>("TotalsPanel")->isVisibleTo(m_form.get()));
        QCOMPARE(Totals(), u"Отмечено: 4 из 4 · 1 000 000,40 ₽"_s);
        // The wrong ИНН is tinted.
        const QModelIndex inn = Model()->index(3, 3);
        QVERIFY(Model()->data(inn, Qt::BackgroundRole).value<QColor>() == QColor(255, 205, 205));
        QVERIFY(!Model()->data(Model()->index(1, 3), Qt::ToolTipRole).toString().contains('\n'));
        // Duplicates: a mark in the first column naming the other file.
        QVERIFY(!Model()->data(Model()->index(0, 0), Qt::DecorationRole).isNull());
        QVERIFY(Model()
                    ->data(Model()->index(0, 0), Qt::ToolTipRole)
                    .toString()
                    .contains("doc0002.xml"));
        QVERIFY(Model()->data(Model()->index(1, 0), Qt::DecorationRole).isNull());
        // The grid tints the failing value of the document shown.
        auto* list = Find<QTableView>("List");
        list->setCurrentIndex(Model()->index(3, 0));
        QTableWidgetItem* shown = Find<QTableWidget>("Grid1")->item(3, 1);
        QCOMPARE(shown->background().color(), QColor(255, 205, 205));
        QVERIFY(shown->toolTip().contains(u"контрольное число"_s));
        // The check-all box off and on, then a new reading.
        auto* header = qobject_cast<CheckAllHeader*>(list->horizontalHeader());
        for (const char* expected :
             {"Отмечено: 0 из 4 · 0,00 ₽", "Отмечено: 4 из 4 · 1 000 000,40 ₽"}) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              header->CheckBoxRect().center());
            QCOMPARE(Totals(), QString::fromUtf8(expected));
        }
        ReadSource(Folder("b", {"9;2024-01-01;5" + Valid}));
        QCOMPARE(Totals(), u"Отмечено: 1 из 1 · 5,00 ₽"_s);
        // Nothing wrong with the new reading: only the account the settings lack is left.
        const FindingList left = Find<ProblemsView>("ProblemsPanel")->Findings();
        QCOMPARE(left.size(), std::size_t(1));
        QCOMPARE(left.front().Kind, FindingKind::OrganisationAccount);
    }

    // The preview shows the very text each template saves, and its "Сохранить"
    // saves with the template chosen in it.
    void preview() {
        ReadSource(Folder("p", {"7;2024-03-06;10.5" + Valid, "8;2024-03-04;20" + Valid}));
        Find<QDateTimeEdit>("DTPicker1")->setDateTime(QDateTime(QDate(2024, 3, 9), QTime(0, 0)));
        Find<QTableView>("List")->model()->setData(Model()->index(1, 0), Qt::Unchecked,
                                                   Qt::CheckStateRole);
        const QString target = Path("out.csv");
        QString txt, csv, totals, filter;
        // A button's shortcut clicks it a moment later: wait for the saved file.
        WhileModal(
            [&] {
                QTest::keyClick(m_form.get(), Qt::Key_P, Qt::ControlModifier);
                QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(target); }));
            },
            [&](QWidget* dialog) {
                if (auto* preview = qobject_cast<PreviewDlg*>(dialog)) {
                    QTRY_VERIFY(!preview->IsBuilding());
                    txt = preview->Text();
                    totals = preview->findChild<QLabel*>("PreviewTotals")->text();
                    preview->findChild<QComboBox*>("PreviewTemplate")->setCurrentIndex(1);
                    QTRY_VERIFY(!preview->IsBuilding());
                    csv = preview->Text();
                    preview->findChild<QPushButton*>("PreviewSave")->click();
                } else if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
                    filter = files->selectedNameFilter();
                    Choose(files, target);
                }
            });
        QCOMPARE(txt, u"TXT 1 10.50 06.03.2024-06.03.2024\r\n7;10.5\r\nEND"_s);
        QCOMPARE(totals, u"Отмечено: 1 из 2 · 10,50 ₽"_s);
        QCOMPARE(filter, u"Таблица (*.csv)"_s);
        QCOMPARE(csv, Cp1251::Decode(ReadFile(target))); // "☺" is a "?" in both
        QCOMPARE(csv, u"CSV ?\r\n7\r\n"_s);
        // Saved with the template in the window's own save too, the bytes are the preview's.
        QVERIFY(m_form->SaveTo(Path("out.txt"), 0));
        QCOMPARE(Cp1251::Decode(ReadFile(Path("out.txt"))), txt);
    }

    // Without the organisation's account a bar says so over the list and its button leads to
    // the options; a save through a template that writes the account asks first, "Нет" by
    // default, and the preview says it too. Once the account is set, the bar goes, the totals
    // count what it received and paid, and a document of other accounts is tinted.
    void organisationAccount() {
        const QString acc = u"40702810500000000001"_s;
        auto* bar = Find<QWidget>("AccountBar");
        QVERIFY(bar->isVisibleTo(m_form.get()));
        QVERIFY(bar->findChild<QLabel*>()->text().startsWith(
            u"Не указан расчетный счет организации: в выписке поле РасчСчет будет пустым"_s));
        auto* list = Find<QTableView>("List");
        QVERIFY(bar->geometry().bottom() < list->mapTo(bar->parentWidget(), QPoint(0, 0)).y());
        WriteFile(m_config + u"Выписка.txt.tpl"_s,
                  "<header>\r\n{ACC};{Incoming};{Outgoing}\r\n</header>\r\n<document>\r\n{Nomer}"
                  "\r\n</document>\r\n");
        const QString folder = Folder("acc", {"1;2024-03-05;100" + Valid + ";" + acc,
                                              "2;2024-03-06;7,5" + Valid + ";" + acc});
        ReadSource(folder);
        const QString target = Path("out.txt");
        const QString asked = SaveAsking(target);
        QVERIFY2(asked.startsWith(u"Не указан расчетный счет"_s), qPrintable(asked));
        QVERIFY(!QFile::exists(target));
        QString notice;
        WhileModal([&] { m_form->ShowPreview(); },
                   [&](QWidget* dialog) {
                       notice = dialog->findChild<QLabel*>("PreviewNotice")->text();
                       qobject_cast<QDialog*>(dialog)->reject();
                   });
        QVERIFY2(notice.startsWith(u"Не указан расчетный счет"_s), qPrintable(notice));
        // "Указать ..." opens the options, where the account is set.
        QVERIFY(WithModal<QDialog>([&] { bar->findChild<QToolButton*>()->click(); },
                                   [&](QDialog* options) {
                                       QCOMPARE(options->objectName(), u"OptionsDlg"_s);
                                       m_settings->WriteVal(Organization, "ACC", acc);
                                       options->reject();
                                   }));
        QVERIFY(!bar->isVisibleTo(m_form.get()));
        QVERIFY2(!Problems().contains(u"счет организации\t"_s), qPrintable(Problems()));
        QCOMPARE(Totals(), u"Отмечено: 2 из 2 · 107,50 ₽ · поступило 107,50 · списано 0,00"_s);
        // Read again with the account known: a document of other accounts is named and tinted.
        ReadSource(Folder("other", {"3;2024-03-07;1" + Valid + ";40702810500000000002"}));
        const QString tip = Model()->data(Model()->index(0, 4), Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains(u"документ не относится к счету организации "_s + acc),
                 qPrintable(tip));
        QVERIFY(Model()->data(Model()->index(0, 4), Qt::BackgroundRole).isValid());
    }

    // One question before saving gathers every reason, "Отмена" by default; "Показать" opens
    // the findings of the checked documents; the file is written only on "Сохранить".
    void saveQuestion_data() {
        QTest::addColumn<QString>("answer"); // the button's name
        QTest::newRow("shown") << "SaveQuestionShow";
        QTest::newRow("saved") << "SaveQuestionSave";
    }
    void saveQuestion() {
        QFETCH(QString, answer);
        const QString bad = u";7707083894;40702810938000012345;044525225"_s;
        ReadSource(Folder("q", {"1;2024-03-05;1" + Valid, "1;2024-03-05;1" + Valid,
                                "2;2024-03-05;1" + bad, "3;2024-03-05;1" + bad}));
        Model()->setData(Model()->index(3, 0), Qt::Unchecked, Qt::CheckStateRole);
        const QString target = Path("q.txt");
        QCOMPARE(SaveAsking(target, answer),
                 u"Среди отмеченных: 2 повтора, 1 ошибка в реквизитах. Сохранить?"_s);
        QCOMPARE(QFile::exists(target), answer == "SaveQuestionSave");
        if (answer != "SaveQuestionShow") return;
        QCOMPARE(Find<QTabWidget>("DetailTabs")->currentWidget(), Find<QWidget>("ProblemsPanel"));
        QVERIFY(Find<QCheckBox>("ProblemsCheckedOnly")->isChecked());
        const int all = int(Find<ProblemsView>("ProblemsPanel")->Findings().size());
        QCOMPARE(Find<QTabWidget>("DetailTabs")->tabText(1), u"Замечания (3 из %1)"_s.arg(all));
        // A check mark changes what the filter keeps.
        Model()->setData(Model()->index(3, 0), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(Find<QTabWidget>("DetailTabs")->tabText(1), u"Замечания (4 из %1)"_s.arg(all));
    }

    // The export journal: a document already sent is marked beside a duplicate's mark, left out
    // by "не выгруженные", counted by the save question and unchecked by "Отметить только новые";
    // a journal that cannot tell disables that button, saying why.
    void exportJournal() {
        const QString journal = Path("j.sqlite");
        const QString tpl = WriteFile(m_config + "1c.txt.tpl", "<header>\r\n1CClientBankExchange\r\n"
                                                          "</header>\r\n<document>\r\n{Nomer}\r\n"
                                                          "</document>\r\n");
        const QString sent = Folder("sent", {"1;2024-03-05;10" + Valid, "2;2024-03-06;2" + Valid});
        QCOMPARE(RunProgram(VYPISKA_CLI, {"convert", "--config", m_config, "--journal", journal,
                                          "--template", tpl, "-o", Path("out.txt"), sent})
                     .Exit,
                 0);
        qputenv("VYPISKA_JOURNAL", journal.toUtf8());
        const QString a = Folder("a", {"1;2024-03-05;10" + Valid, "1;05.03.2024;10,00" + Valid,
                                       "3;2024-03-07;30" + Valid});
        ReadSource(a);
        QCOMPARE(Model()->data(Model()->index(0, 0), Qt::DecorationRole).typeId(),
                 QMetaType::QPixmap); // both marks
        QVERIFY(Model()->data(Model()->index(2, 0), Qt::DecorationRole).isNull());
        QVERIFY(Model()->data(Model()->index(1, 0), Qt::ToolTipRole).toString().contains(
            u"Уже выгружен: выписка 'out.txt' от "_s));
        QVERIFY2(Problems().contains(u"уже выгружен\tdoc0001.xml"_s), qPrintable(Problems()));
        Find<QComboBox>("QuickFilter")->setCurrentText(u"не выгруженные"_s);
        QCOMPARE(Model()->rowCount(), 1);
        Find<QComboBox>("QuickFilter")->setCurrentIndex(0);
        const QString asked = SaveAsking(Path("b.txt"));
        QVERIFY2(asked.contains(u"2 повтора, 2 уже выгружены"_s), qPrintable(asked));
        auto* onlyNew = Find<QPushButton>("CheckOnlyNew");
        QVERIFY(onlyNew->isEnabled());
        onlyNew->click();
        QCOMPARE(Totals(), u"Отмечено: 1 из 3 · 30,00 ₽"_s);
        // Saved, the new one is marked at once.
        WithModal<QFileDialog>([&] { Find<QToolButton>("CommandSaveAs")->click(); },
                               [&](QFileDialog* files) { Choose(files, Path("c.txt")); });
        QVERIFY(!Model()->data(Model()->index(2, 0), Qt::DecorationRole).isNull());
        m_form->OpenSource(a); // read again, each document names its own statement
        ReadSource({});
        QVERIFY2(Problems().contains(u"выписке 'c.txt'"_s) &&
                     Problems().contains(u"выписке 'out.txt'"_s),
                 qPrintable(Problems()));
        // Their rows filter, show and lead to their document as the others do.
        auto* kinds = Find<QComboBox>("ProblemsKind");
        kinds->setCurrentIndex(kinds->findData(int(FindingKind::Exported)));
        QCOMPARE(kinds->currentText(), u"уже выгружен (4)"_s); // the count, then each document
        QCOMPARE(Find<QTableView>("ProblemsView")->model()->rowCount(), 4);
        Find<ProblemsView>("ProblemsPanel")->SelectDocument(a + u"/doc0002.xml"_s);
        const QModelIndex found = Find<QTableView>("ProblemsView")->currentIndex();
        QCOMPARE(found.siblingAtColumn(1).data(), QVariant(u"doc0002.xml"_s));
        QVERIFY(found.siblingAtColumn(4).data().toString().contains(u"выписке 'c.txt'"_s));
        WriteFile(journal, QByteArray(4096, 'x')); // damaged: moved aside, and a new one knows nothing
        ReadSource(Folder("b", {"3;2024-03-07;30" + Valid}));
        qputenv("VYPISKA_JOURNAL", "off");
        QVERIFY(!onlyNew->isEnabled());
        QVERIFY(onlyNew->toolTip().contains(u"заново"_s));
        QVERIFY(Problems().contains(u"журнал\tj.sqlite"_s));
    }

    // A click on the status line opens the files left out; documents in a subfolder are said
    // apart, neither left out nor a problem. (The status line itself: tst_form1 sources.)
    void partialReading() {
        const QString folder = Folder("part", {"1;2024-03-05;1" + Valid, "2;2024-03-05;"});
        Folder("part/sub", {"3;2024-03-05;1" + Valid});
        ReadSource(folder);
        QCOMPARE(Find<QLabel>("StatusNotice")->text(), u"в подпапках не читались: 1 файл"_s);
        QTest::mouseClick(Find<QLabel>("StatusText"), Qt::LeftButton);
        QCOMPARE(Find<QTabWidget>("DetailTabs")->currentWidget(), Find<QWidget>("ProblemsPanel"));
        QCOMPARE(Find<QComboBox>("ProblemsKind")->currentText(), u"пропущен (1)"_s);
    }

    // The rows are shown as they are read, and Esc stops a long read: the rows shown stay; the status line counts them, not in green,
    // the totals say the reading was stopped, and a save asks first.
    void cancelMidRead() {
        QStringList docs;
        for (int i = 0; i < 3000; ++i)
            docs << QString::number(i) + ";2024-03-05;1" + Valid;
        const QString folder = Folder("many", docs);
        // Esc right after the run starts, from inside the timer's own tick.
        // The last message was red; "Обработка ..." is in neither colour.
        Find<StatusLine>("StatusBar1")->ShowText("red", StatusColorFailure);
        QColor processing;
        connect(Find<QTimer>("ReadTimer"), &QTimer::timeout, m_form.get(), [&] {
            QVERIFY(m_form->IsReading() && Find<QToolButton>("CancelReading")->isVisible());
            processing = StatusColour();
        });
        // Esc once the first rows are shown, while the reading goes on.
        int shown = 0;
        connect(Find<QTableView>("List")->model(), &QAbstractItemModel::rowsInserted,
                m_form.get(), [&] {
                    if (shown > 0 || !m_form->IsReading()) return;
                    shown = Find<QTableView>("List")->model()->rowCount();
                    QTest::keyClick(m_form.get(), Qt::Key_Escape);
                });
        ReadSource(folder);
        QCOMPARE(processing, m_form->palette().color(QPalette::ButtonText));
        const qint64 kept = qint64(m_form->Table().Rows.size());
        QVERIFY2(shown > 0 && kept >= shown && kept < 3000, qPrintable(QString::number(kept)));
        QCOMPARE(Status(), ReadCancelledText(kept, folder));
        QCOMPARE(StatusColour(), QColor(0xC0, 0x60, 0));
        QVERIFY(!Find<QToolButton>("CancelReading")->isVisible());
        QVERIFY2(Totals().startsWith(u"Отмечено: %1 из %1 (чтение остановлено) ·"_s.arg(kept)),
                 qPrintable(Totals()));
        // A save asks first, the stop and the empty selection in one question.
        auto* header = qobject_cast<CheckAllHeader*>(Find<QTableView>("List")->horizontalHeader());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, header->CheckBoxRect().center());
        QCOMPARE(SaveAsking(Path("stopped.txt")),
                 u"Чтение было остановлено: прочитаны не все документы источника.\n"
                 "Не отмечено ни одного документа: выписка будет пустой.\n\nСохранить?"_s);
        QVERIFY(!QFile::exists(Path("stopped.txt")));
    }
};

VYPISKA_TEST_MAIN(TestChecksWindow)
#include "tst_checkswindow.moc"
