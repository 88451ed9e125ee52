#include "settings/INIStorage.h"
#include "settings/OptionsDlg.h"

#include <QtTest>
#include <QtWidgets>

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

// keyClicks() takes Latin-1 only; this types any text, one key event per character.
static void Type(QWidget* w, const QString& text) {
    for (QChar c : text)
        for (auto action : {QTest::Press, QTest::Release})
            QTest::sendKeyEvent(action, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class TestOptionsDlg : public QObject {
    Q_OBJECT
private slots:
    // Digits only, up to 12 for INN and 20 for ACC; a paste that would go past is refused whole.
    void input_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("before"); // the cursor in its middle
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("letters typed") << "txtINN"
                                       << ""
                                       << "type"
                                       << "12a3б4"
                                       << "1234";
        QTest::newRow("13th digit") << "txtINN"
                                    << ""
                                    << "type"
                                    << "1234567890123"
                                    << "123456789012";
        QTest::newRow("21st digit") << "txtACC"
                                    << ""
                                    << "type"
                                    << "407028109000000012345"
                                    << "40702810900000001234";
        QTest::newRow("paste with blanks") << "txtACC"
                                           << ""
                                           << "paste"
                                           << " 40702 810 9-0000 0001234 "
                                           << "40702810900000001234";
        QTest::newRow("paste in the middle") << "txtINN"
                                             << "1290"
                                             << "paste"
                                             << "3a4"
                                             << "123490";
        QTest::newRow("paste too long") << "txtINN"
                                        << "11"
                                        << "paste"
                                        << "1234567890 12"
                                        << "11";
        QTest::newRow("drop") << "txtACC"
                              << ""
                              << "insert"
                              << "№ 4070"
                              << "4070";
        QTest::newRow("name takes anything") << "txtOrgName"
                                             << ""
                                             << "type"
                                             << "ИП 1-й"
                                             << "ИП 1-й";
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
        if (how == "type") Type(edit, input);
        if (how == "paste") QTest::keySequence(edit, QKeySequence::Paste);
        if (how == "insert") edit->insert(input);
        QTEST(edit->text(), "expected");
    }

    // ACC "111" is stored; "222" is typed after it and a name with blanks around it.
    void closing_data() {
        QTest::addColumn<bool>("apply");
        QTest::addColumn<QString>("close");
        QTest::addColumn<bool>("stored");
        QTest::newRow("Ok") << false << "CommandButtonW1" << true;
        QTest::newRow("Enter") << false << "enter" << true;
        QTest::newRow("Отмена") << false << "CommandButtonW2" << false;
        QTest::newRow("close box") << false << "closebox" << false;
        QTest::newRow("Применить, Отмена") << true << "CommandButtonW2" << true;
    }
    void closing() {
        QFETCH(bool, apply);
        QFETCH(QString, close);
        QFETCH(bool, stored);
        Fixture f({}, u"111"_s);
        Type(f.Box("txtACC"), u"222"_s);
        Type(f.Box("txtOrgName"), u"  ООО Ромашка  "_s);
        if (apply) f.Click("CommandButtonW3");
        QVERIFY(f.dlg->isVisible());
        if (close == "enter") QTest::keyClick(f.Box("txtACC"), Qt::Key_Return);
        if (close == "closebox") f.dlg->close();
        if (close.startsWith("Command")) f.Click(close);
        QVERIFY(!f.dlg->isVisible());
        QCOMPARE(f.Stored("Name"), stored ? u"ООО Ромашка"_s : "");
        QCOMPARE(f.Stored("ACC"), stored ? "111222" : "111");
        // Shown again, the same dialog starts from what is stored, trimmed.
        f.dlg->show();
        QCOMPARE(f.Box("txtOrgName")->text(), f.Stored("Name"));
        QCOMPARE(f.Box("txtACC")->text(), f.Stored("ACC"));
        QVERIFY(!f.Button("CommandButtonW3")->isEnabled());
    }

    void refusedWriteWarnsAndKeepsTheDialogOpen() {
        Fixture f(u"missing"_s);
        QString warning;
        const auto okAnsweringTheWarning = [&] {
            QTimer::singleShot(0, this, [&warning] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    warning = box->text(), box->accept();
            });
            f.Click("CommandButtonW1");
        };
        okAnsweringTheWarning(); // untouched: nothing is written
        QVERIFY(warning.isEmpty() && !f.dlg->isVisible());
        f.dlg->show();
        Type(f.Box("txtACC"), u"4070"_s);
        okAnsweringTheWarning();
        QVERIFY(warning.contains(f.settings.MainIniFile()) && f.dlg->isVisible());
        QCOMPARE(f.Box("txtACC")->text(), u"4070"_s);
    }

    // A fixed size in the design's proportions, grown with the font; every text fits whole.
    void largerFontGrowsTheDialogWithoutClipping() {
        const QFont saved = QApplication::font();
        QFont font = saved;
        font.setPointSizeF(16);
        QApplication::setFont(font);
        Fixture f;
        QApplication::setFont(saved);
        const OptionsDlg& dlg = *f.dlg;
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QVERIFY(dlg.width() > 533 && qAbs(dlg.width() * 227.0 / 533 - dlg.height()) <= 1.0);
        for (QWidget* w : dlg.findChildren<QWidget*>()) {
            const auto* button = qobject_cast<QPushButton*>(w);
            const auto* label = qobject_cast<QLabel*>(w);
            const QString text = button ? button->text() : label ? label->text() : QString();
            QVERIFY(w->fontMetrics().horizontalAdvance(text) < w->width() + (button ? 0 : 1));
            QVERIFY(w->parentWidget()->rect().contains(w->geometry()));
        }
    }
};

QTEST_MAIN(TestOptionsDlg)
#include "tst_optionsdlg.moc"
