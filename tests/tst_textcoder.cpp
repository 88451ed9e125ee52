#include "text/TextCoder.h"

#include <QDate>
#include <QDir>
#include <QTest>

#include <functional>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);

QLocale Ungrouped(QLocale locale) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// Rows of (first, second, expected) texts, named by their position and first two texts.
void AddTextRows(std::initializer_list<std::array<QString, 3>> rows) {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("expected");
    int i = 0;
    for (const auto& r : rows)
        QTest::addRow("%d %s %s", ++i, qPrintable(r[0]), qPrintable(r[1])) << r[0] << r[1] << r[2];
}
} // namespace

class TestTextCoder : public QObject {
    Q_OBJECT
private slots:
    void readTag_data() {
        AddTextRows({{"<a><b>12</b></a>", "b", "12"},
                     {"<a><b>12</b></a>", "a", "<b>12</b>"},
                     {"<b>\r\n  x\r\n</b>", "b", "  x"},
                     {"<b>\r\n\r\nx\r\n\r\n</b>", "b", "\r\nx\r\n"},
                     {"<b>\nx\n</b>", "b", "\nx\n"},
                     {"<B>x</B>", "b", ""},
                     {"<b attr='1'>x</b>", "b", ""},
                     {"<b/>x</b>", "b", ""},
                     {"<b>x</c>", "b", "x"},
                     {"<b>x", "b", ""},
                     {"<b>1</b><b>2</b>", "b", "1"},
                     {"<b><b>1</b></b>", "b", "<b>1"},
                     {"<b>&lt;5</b>", "b", "&lt;5"},
                     {"<b></b>", "b", ""},
                     {"<bb>1</bb><b>2</b>", "b", "2"},
                     {u"<Сумма>1 234,50</Сумма>"_qs, u"Сумма"_qs, "1 234,50"}});
    }
    void readTag() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        QCOMPARE(TextCoder(Ru).ReadTag(a, b), expected);
    }

    void makeTag_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QVariant>("content");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number") << Ru << QVariant(100) << 0 << "<T>100</T>";
        QTest::newRow("level 2") << Ru << QVariant("<A>1</A>") << 2
                                 << "<T>\r\n\t\t<A>1</A>\r\n</T>";
        QTest::newRow("ru decimal") << Ru << QVariant(12.5) << 0 << "<T>12,5</T>";
        QTest::newRow("en decimal") << En << QVariant(12.5) << 0 << "<T>12.5</T>";
        QTest::newRow("no grouping") << Ru << QVariant(1234567.25) << 0 << "<T>1234567,25</T>";
        QTest::newRow("null level 1") << Ru << QVariant() << 1 << "<T>\r\n\t\r\n</T>";
        QTest::newRow("ru date") << Ru << QVariant(QDate(2026, 12, 5)) << 0 << "<T>05.12.2026</T>";
        QTest::newRow("ru date-time")
            << Ru << QVariant(QDateTime(QDate(2023, 1, 15), QTime(10, 30))) << 0
            << "<T>15.01.2023 10:30:00</T>";
        QTest::newRow("big integer")
            << En << QVariant(qlonglong(12345678901)) << 0 << "<T>12345678901</T>";
        QTest::newRow("small double") << En << QVariant(0.0001) << 0 << "<T>0.0001</T>";
        QTest::newRow("list") << Ru << QVariant(QVariantList{1, 2}) << 0 << "<T></T>";
    }
    void makeTag() {
        QFETCH(QLocale, locale);
        QFETCH(QVariant, content);
        QFETCH(int, level);
        QFETCH(QString, expected);
        const TextCoder coder(locale);
        QCOMPARE(coder.MakeTag("T", content, level), expected);
        if (level == 0) QCOMPARE(coder.AntiNull(content), coder.ReadTag(expected, "T"));
    }

    void tagErrorsAndRoundTrip() {
        const TextCoder coder(Ru);
        QCOMPARE(coder.ReadTag(coder.MakeTag("x", "v", 1), "x"), QStringLiteral("\tv"));
        try {
            coder.MakeTag("x", "v", -1);
            QFAIL("no error raised");
        } catch (const TextCoderError& e) {
            QCOMPARE(e.Number, TextCoderError::InvalidArgument);
        }
    }

    void paths_data() {
        AddTextRows({{"GetExt", "C:\\in\\doc.XML", "XML"},
                     {"GetExt", "archive.tar.gz", "gz"},
                     {"GetExt", "name.", ""},
                     {"GetExt", "name", ""},
                     {"GetExt", "file.abcdefghijk", ""},
                     {"GetExt", "file.abcdefghij", "abcdefghij"},
                     {"GetExt", "C:\\old.dir\\file", "dir\\file"},
                     {"GetExt", ".xml", ""},
                     {"GetName", "C:\\in\\doc.xml", "doc.xml"},
                     {"GetName", "C:\\in\\", "in"},
                     {"GetName", "doc.xml", "doc.xml"},
                     {"GetName", "\\", ""},
                     {"GetName", "/home/u/in/", "in"},
                     {"GetName", "C:\\in/sub\\doc.xml", "doc.xml"},
                     {"GetPath", "C:\\in\\doc.xml", "C:\\in"},
                     {"GetPath", "C:\\in\\", ""},
                     {"GetPath", "\\doc.xml", ""},
                     {"GetPath", "doc.xml", ""},
                     {"GetPath", "/home/u/doc.xml", "/home/u"},
                     {"OnlyName", "doc.final.xml", "doc.final"},
                     {"OnlyName", "  a ", ""},
                     {"OnlyName", ".xml", ""},
                     {"OnlyName", "readme", "readme"},
                     {"GetFnameUnicPart", "C:\\in\\pay_20240101_0042.xml", "0042"},
                     {"GetFnameUnicPart", "C:\\in\\doc.xml", "doc"},
                     {"GetFnameUnicPart", "C:\\in\\doc_.xml", ""},
                     {"GetFnameUnicPart", "/in/a_b/pay_7.xml", "7"},
                     {"RulePath", "C:\\in", "C:\\in\\"},
                     {"RulePath", "C:\\in\\", "C:\\in\\"},
                     {"RulePath", "/tmp/in", "/tmp/in" + QString(QDir::separator())},
                     {"RulePath", "/tmp/in/", "/tmp/in/"},
                     {"RulePath", "", QDir::separator()}});
    }
    void paths() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        const TextCoder coder(QLocale::c());
        const QMap<QString, std::function<QString(const QString&)>> operations{
            {"GetExt", [&](const QString& s) { return coder.GetExt(s); }},
            {"GetName", [&](const QString& s) { return coder.GetName(s); }},
            {"GetPath", [&](const QString& s) { return coder.GetPath(s); }},
            {"OnlyName", [&](const QString& s) { return coder.OnlyName(s); }},
            {"GetFnameUnicPart", [&](const QString& s) { return coder.GetFnameUnicPart(s); }},
            {"RulePath", [&](const QString& s) { return coder.RulePath(s); }}};
        QCOMPARE(operations.value(a)(b), expected);
    }

    void localeMarks_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("marks");
        QTest::newRow("ru") << Ru << u",|\u00A0|\u00A0₽"_qs;
        QTest::newRow("en") << En << ".|,|$";
        QTest::newRow("ru ungrouped") << Ungrouped(Ru) << u",||\u00A0₽"_qs;
        QTest::newRow("en ungrouped") << Ungrouped(En) << ".||$";
    }
    void localeMarks() {
        QFETCH(QLocale, locale);
        QFETCH(QString, marks);
        const TextCoder coder(locale);
        QCOMPARE(coder.LocalPoint() + "|" + coder.LocalGrpSpace() + "|" + coder.LocalCurrency(),
                 marks);
    }

    void isNumber_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("expected");
        for (const char* text : {"1 234,56", "1.234,56", "12.50", "1.2.3", "-5", "0"})
            QTest::addRow("ru %s", text) << Ru << QVariant(text) << true;
        for (const char* text : {"", "12a", "abc", "nan", "inf", "-inf", " ., "})
            QTest::addRow("ru %s", text) << Ru << QVariant(text) << false;
        QTest::newRow("ru null") << Ru << QVariant() << false;
        QTest::newRow("ru double") << Ru << QVariant(12.5) << true;
        QTest::newRow("ru date value") << Ru << QVariant(QDate(2026, 12, 5)) << true;
        QTest::newRow("en grouped") << En << QVariant("1,234.56") << true;
        QTest::newRow("en NaN") << En << QVariant("NaN") << false;
        // Without grouping no mark may eat the zeros.
        QTest::newRow("ungrouped 0") << Ungrouped(Ru) << QVariant("0") << true;
        QTest::newRow("ungrouped 1000") << Ungrouped(Ru) << QVariant("1000") << true;
        // The list's own amounts, as the locale formats them.
        for (double amount : {1234.5, 1234567.89, -12.0}) {
            QTest::addRow("ru currency %g", amount)
                << Ru << QVariant(Ru.toCurrencyString(amount)) << true;
            QTest::addRow("en currency %g", amount)
                << En << QVariant(En.toCurrencyString(amount)) << true;
        }
        QTest::newRow("ru currency typed") << Ru << QVariant(u"1 234,50 ₽"_qs) << true;
        QTest::newRow("ru currency bare") << Ru << QVariant(u"1234,50₽"_qs) << true;
    }
    void isNumber() {
        QFETCH(QLocale, locale);
        QFETCH(QVariant, value);
        QFETCH(bool, expected);
        QCOMPARE(TextCoder(locale).IsNumber(value), expected);
    }

    void smallNumberHelpers() {
        const TextCoder coder(Ru);
        QVERIFY(coder.IsMultiSeparator("1,5", ","));
        QVERIFY(!coder.IsMultiSeparator("1,5,6", ","));
        QVERIFY(coder.IsMultiSeparator("15", ","));
        QCOMPARE(coder.LimDigit(5, 3), QStringLiteral("005"));
        QCOMPARE(coder.LimDigit(12345, 3), QStringLiteral("345"));
        QCOMPARE(coder.LimDigit(-5, 3), QStringLiteral("0-5"));
        QCOMPARE(coder.LimDigit(7, 0), QString());
        QVERIFY_THROWS_EXCEPTION(TextCoderError, coder.LimDigit(7, -1));
    }
};

QTEST_APPLESS_MAIN(TestTextCoder)
#include "tst_textcoder.moc"
