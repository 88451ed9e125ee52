#include "settings/INIStorage.h"
#include "settings/OptionsDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

// A shown dialog over a fresh settings folder.
struct Fixture {
    explicit Fixture(const QString& sub = QString()) : settings(dir.filePath(sub)) {}
    QLineEdit* Box(const char* name) { return dlg->findChild<QLineEdit*>(name); }
    QPushButton* Button(const char* name) { return dlg->findChild<QPushButton*>(name); }
    QString Stored(const char* key) {
        return settings.ReadVal(Organization, key, QStringLiteral("<none>")).toString();
    }
    void Open() {
        dlg = std::make_unique<OptionsDlg>(settings);
        dlg->show();
    }
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
    void opensEmptyWithoutConfigAndOkCreatesNothing() {
        Fixture f;
        f.Open();
        for (const char* name : {"txtOrgName", "txtINN", "txtACC"})
            QCOMPARE(f.Box(name)->text(), QString());
        QVERIFY(!f.Button("CommandButtonW3")->isEnabled());
        QTest::mouseClick(f.Button("CommandButtonW1"), Qt::LeftButton);
        QVERIFY(!f.dlg->isVisible());
        QVERIFY(!QFile::exists(f.settings.MainIniFile()));
    }

    void digitBoxesFilterInput_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* box, const char* before, const char* how,
                      const char* input, const char* expected) {
            QTest::newRow(name) << QString(box) << QString(before) << QString(how)
                                << QString::fromUtf8(input) << QString(expected);
        };
        row("letters typed", "txtINN", "", "type", "12a3б4", "1234");
        row("13th digit", "txtINN", "", "type", "1234567890123", "123456789012");
        row("21st digit", "txtACC", "", "type", "407028109000000012345", "40702810900000001234");
        row("paste with blanks", "txtACC", "", "paste", " 40702 810 9-0000 0001234 ",
            "40702810900000001234");
        row("paste in the middle", "txtINN", "1290", "paste", "3a4", "123490");
        row("paste too long", "txtINN", "11", "paste", "1234567890 12", "11");
        row("paste of letters", "txtACC", "5", "paste", "abc", "5");
        row("drop", "txtACC", "", "insert", "№ 4070", "4070");
        row("name takes anything", "txtOrgName", "", "type", "ИП Петров 1-й", "ИП Петров 1-й");
    }
    void digitBoxesFilterInput() {
        QFETCH(QString, box);
        QFETCH(QString, before);
        QFETCH(QString, how);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        Fixture f;
        f.Open();
        QLineEdit* edit = f.Box(box.toLatin1().constData());
        edit->setText(before);
        edit->setCursorPosition(before.size() / 2);
        if (how == QLatin1String("type")) {
            Type(edit, input);
        } else if (how == QLatin1String("paste")) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keySequence(edit, QKeySequence::Paste);
        } else {
            edit->insert(input);
        }
        QCOMPARE(edit->text(), expected);
    }

    void closing_data() {
        QTest::addColumn<bool>("apply");
        QTest::addColumn<QString>("close");
        QTest::addColumn<bool>("stored");
        QTest::newRow("Ok") << false << "CommandButtonW1" << true;
        QTest::newRow("Enter") << false << "enter" << true;
        QTest::newRow("Отмена") << false << "CommandButtonW2" << false;
        QTest::newRow("Escape") << false << "escape" << false;
        QTest::newRow("close box") << false << "closebox" << false;
        QTest::newRow("Применить, Отмена") << true << "CommandButtonW2" << true;
    }
    void closing() {
        QFETCH(bool, apply);
        QFETCH(QString, close);
        QFETCH(bool, stored);
        Fixture f;
        f.settings.WriteVal(Organization, QStringLiteral("ACC"), QStringLiteral("111"));
        f.Open();
        QLineEdit* acc = f.Box("txtACC");
        Type(acc, QStringLiteral("222"));
        Type(f.Box("txtOrgName"), QStringLiteral("  ООО Ромашка  "));
        if (apply) {
            QTest::mouseClick(f.Button("CommandButtonW3"), Qt::LeftButton);
            QVERIFY(f.dlg->isVisible() && f.Button("CommandButtonW3")->isEnabled());
            QCOMPARE(f.Box("txtOrgName")->text(), QStringLiteral("  ООО Ромашка  "));
        }
        if (close == QLatin1String("enter"))
            QTest::keyClick(acc, Qt::Key_Return);
        else if (close == QLatin1String("escape"))
            QTest::keyClick(acc, Qt::Key_Escape);
        else if (close == QLatin1String("closebox"))
            f.dlg->close();
        else
            QTest::mouseClick(f.Button(close.toLatin1().constData()), Qt::LeftButton);
        QVERIFY(!f.dlg->isVisible());
        const QString name = stored ? QStringLiteral("ООО Ромашка") : QStringLiteral("<none>");
        QCOMPARE(f.Stored("Name"), name);
        QCOMPARE(f.Stored("ACC"), stored ? QStringLiteral("111222") : QStringLiteral("111"));
        // Shown again, the same dialog starts from what is stored, trimmed.
        f.dlg->show();
        QCOMPARE(f.Box("txtOrgName")->text(), stored ? name : QString());
        QCOMPARE(acc->text(), f.Stored("ACC"));
        QVERIFY(!f.Button("CommandButtonW3")->isEnabled());
    }

    void refusedWriteWarnsAndKeepsTheDialogOpen() {
        Fixture f(QStringLiteral("missing")); // no CONFIG folder: nothing can be written
        f.Open();
        Type(f.Box("txtACC"), QStringLiteral("4070"));
        QString warning;
        QTimer::singleShot(0, this, [&warning] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                warning = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(f.Button("CommandButtonW1"), Qt::LeftButton);
        QVERIFY(warning.contains(f.settings.MainIniFile()));
        QVERIFY(f.dlg->isVisible());
        QCOMPARE(f.Box("txtACC")->text(), QStringLiteral("4070"));
    }

    void largerFontGrowsTheDialogWithoutClipping_data() {
        QTest::addColumn<double>("pointSize");
        QTest::newRow("9 pt") << 9.0;
        QTest::newRow("16 pt") << 16.0;
    }
    void largerFontGrowsTheDialogWithoutClipping() {
        QFETCH(double, pointSize);
        const QFont saved = QApplication::font();
        QFont font = saved;
        font.setPointSizeF(pointSize);
        QApplication::setFont(font);
        Fixture f;
        f.Open();
        QApplication::setFont(saved);
        const OptionsDlg& dlg = *f.dlg;
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QVERIFY(dlg.width() >= 533 && qAbs(dlg.width() * 227.0 / 533 - dlg.height()) <= 1.0);
        for (QLabel* label : dlg.findChildren<QLabel*>())
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        for (QPushButton* button : dlg.findChildren<QPushButton*>())
            QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) < button->width());
        for (QWidget* w : dlg.findChildren<QWidget*>())
            QVERIFY(w->isWindow() || w->parentWidget()->rect().contains(w->geometry()));
    }
};

QTEST_MAIN(TestOptionsDlg)
#include "tst_optionsdlg.moc"
