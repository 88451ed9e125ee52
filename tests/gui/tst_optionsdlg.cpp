#include "WindowFixture.h"
#include "app/OptionsDlg.h"

using namespace Qt::StringLiterals;

// A dialog shown over a fresh settings folder with ACC stored; sub names a missing folder.
struct Fixture {
    explicit Fixture(const QString& sub = {}, const QString& acc = {})
        : settings(dir.filePath(sub)) {
        if (!acc.isEmpty()) settings.WriteVal(Organization, u"ACC"_s, acc);
        (dlg = std::make_unique<OptionsDlg>(settings))->show();
    }
    void Click(const QString& name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    QLineEdit* Box(const QString& name) { return dlg->findChild<QLineEdit*>(name); }
    QPushButton* Button(const QString& name) { return dlg->findChild<QPushButton*>(name); }
    QString Stored(const char* key) { return settings.ReadVal(Organization, key, {}).toString(); }
    QTemporaryDir dir;
    INIStorage settings;
    std::unique_ptr<OptionsDlg> dlg;
};

class TestOptionsDlg : public QObject {
    Q_OBJECT
private slots:
    // Digits only, up to 12 for INN and 20 for ACC; a paste that would go past is refused whole.
    void input_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("before"); // the cursor in its middle
        AddColumns<QString, QString, QString>({"how", "input", "expected"});
        auto row = [](const char* name, const char* box, const char* before, const char* how,
                      const QString& input, const QString& expected) {
            QTest::newRow(name) << box << before << how << input << expected;
        };
        row("letters typed", "txtINN", "", "type", u"12a3б4"_s, "1234");
        row("13th digit", "txtINN", "", "type", "1234567890123", "123456789012");
        row("21st digit", "txtACC", "", "type", "407028109000000012345", "40702810900000001234");
        row("paste with blanks", "txtACC", "", "paste", " 40702 810 9-0000 0001234 ",
            "40702810900000001234");
        row("paste in the middle", "txtINN", "1290", "paste", "3a4", "123490");
        row("paste too long", "txtINN", "11", "paste", "1234567890 12", "11");
        row("drop", "txtACC", "", "insert", u"№ 4070"_s, "4070");
        row("name takes anything", "txtOrgName", "", "type", u"ИП 1-й"_s, u"ИП 1-й"_s);
    }
    void input() {
        QFETCH(QString, box);
        QFETCH(QString, before);
        QFETCH(QString, how);
        QFETCH(QString, input);
        Fixture f;
        QLineEdit* edit = f.Box(box);
        edit->setText(before);
        edit->setCursorPosition(before.size() / 2);
        QGuiApplication::clipboard()->setText(input);
        if (how == "type") TypeText(edit, input);
        if (how == "paste") QTest::keySequence(edit, QKeySequence::Paste);
        if (how == "insert") edit->insert(input);
        QTEST(edit->text(), "expected");
    }

    // ACC "111" is stored; "222" is typed after it and a name with blanks around it.
    void closing_data() {
        AddColumns<bool, QString, bool>({"apply", "close", "stored"});
        QTest::newRow("Ok") << false << "CommandButtonW1" << true;
        QTest::newRow("Enter") << false << "enter" << true;
        QTest::newRow("Отмена") << false << "CommandButtonW2" << false;
        QTest::newRow("Применить, Отмена") << true << "CommandButtonW2" << true;
    }
    void closing() {
        QFETCH(bool, apply);
        QFETCH(QString, close);
        QFETCH(bool, stored);
        Fixture f({}, u"111"_s);
        TypeText(f.Box("txtACC"), u"222"_s);
        TypeText(f.Box("txtOrgName"), u"  ООО Ромашка  "_s);
        TypeText(f.Box("txtDirector"), u"Иванов И. И. "_s);
        TypeText(f.Box("txtChiefAccountant"), u"Петрова А. С."_s);
        TypeText(f.Box("txtJournal"), u"postgresql://buh@server/office"_s);
        if (apply) f.Click("CommandButtonW3");
        QVERIFY(f.dlg->isVisible());
        if (close == "enter") QTest::keyClick(f.Box("txtACC"), Qt::Key_Return);
        if (close.startsWith("Command")) f.Click(close);
        QVERIFY(!f.dlg->isVisible());
        QCOMPARE(f.Stored("Name"), stored ? u"ООО Ромашка"_s : "");
        QCOMPARE(f.Stored("ACC"), stored ? "111222" : "111");
        QCOMPARE(f.Stored("Director") + f.Stored("ChiefAccountant"),
                 stored ? u"Иванов И. И.Петрова А. С."_s : "");
        QCOMPARE(f.settings.ReadVal(Main, "Journal", {}).toString(),
                 stored ? "postgresql://buh@server/office" : "");
        // Shown again, the same dialog starts from what is stored, trimmed.
        f.dlg->show();
        QCOMPARE(f.Box("txtOrgName")->text(), f.Stored("Name"));
        QCOMPARE(f.Box("txtACC")->text(), f.Stored("ACC"));
        QCOMPARE(f.Box("txtChiefAccountant")->text(), f.Stored("ChiefAccountant"));
        QVERIFY(!f.Button("CommandButtonW3")->isEnabled());
    }

    // Said in the dialog while typing, and stored all the same: a wrong-length or miscounted
    // ИНН, an account that is not 20 digits, a name the settings file would turn into "?".
    void warnings_data() {
        AddColumns<QString, QString>({"box", "typed"});
        QTest::addColumn<QString>("warning"); // empty: none
        auto row = [](const char* name, const char* box, const QString& typed,
                      const QString& says) { QTest::newRow(name) << box << typed << says; };
        row("ИНН of 3 digits", "txtINN", "123", u"ИНН должен состоять из 10 или 12 цифр"_s);
        row("account of 19 digits", "txtACC", "4070281090000001234",
            u"Расч. счет должен состоять из 20 цифр (введено 19)"_s);
        row("name beyond Windows-1251", "txtOrgName", u"ООО «Ёж» ✓ 中"_s, u"«✓中»"_s);
        row("name with emoji, named whole", "txtOrgName", u"Ёж 🙂🙃🙂"_s,
            u"«🙂🙃»"_s);
        row("name within it", "txtOrgName", u"ООО «Ёж» № 5 €"_s, "");
        row("signatory beyond it", "txtChiefAccountant", u"Ølsen K."_s,
            u"Главный бухгалтер: знаков «Ø»"_s);
    }
    void warnings() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, warning);
        Fixture f;
        auto* label = f.dlg->findChild<QLabel*>("LabelWarning");
        const int compact = f.dlg->height();
        f.Box(box)->insert(typed); // as a paste: TypeText() cannot send half a surrogate pair
        QCOMPARE(label->isVisible(), !warning.isEmpty());
        QVERIFY2(label->text().contains(warning), qPrintable(label->text()));
        // The buttons sit right under the journal's box below the group, or under the warning,
        // never over it.
        const QRect group = f.dlg->findChild<QLineEdit*>("txtJournal")->geometry();
        const QRect ok = f.Button("CommandButtonW1")->geometry();
        QVERIFY(ok.top() > group.bottom() && ok.top() - group.bottom() < 3 * ok.height());
        if (!warning.isEmpty()) {
            QVERIFY(label->geometry().bottom() < ok.top() && f.dlg->height() > compact);
        }
        f.Click("CommandButtonW1");
        QCOMPARE(f.Stored(box == "txtINN"               ? "INN"
                          : box == "txtACC"             ? "ACC"
                          : box == "txtChiefAccountant" ? "ChiefAccountant"
                                                        : "Name"),
                 box.startsWith("txtO") || box.startsWith("txtC")
                     ? Cp1251::Decode(Cp1251::Encode(typed))
                     : typed);
    }

    // Settings that cannot be stored are said, and the typed values stay in the open dialog.
    void refusedWriteWarnsAndKeepsTheDialogOpen() {
        Fixture f(u"missing"_s);
        QString warning;
        QTimer::singleShot(0, this, [&warning] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                warning = box->text(), box->accept();
        });
        TypeText(f.Box("txtACC"), u"4070"_s);
        f.Click("CommandButtonW1");
        QVERIFY(warning.contains(f.settings.MainIniFile()) && f.dlg->isVisible());
        QCOMPARE(f.Box("txtACC")->text(), u"4070"_s);
    }
};

VYPISKA_TEST_MAIN(TestOptionsDlg)
#include "tst_optionsdlg.moc"
