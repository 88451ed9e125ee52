#include "text/Cp1251.h"
#include "text/DateParse.h"
#include "text/TextCoder.h"

#include <QDate>
#include <QRegularExpression>
#include <QTemporaryDir>
#include "TestMain.h"

#include "TestFiles.h"

#include <cmath>
#include <functional>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);
const QLocale En(QLocale::English, QLocale::UnitedStates);
const QString Illegal = "error -2147221504: Illegal character in Base64 encoded data.";

QLocale Ungrouped(QLocale locale) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

const QByteArray All = [] {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}();
QTemporaryDir Dir;

// A file of the bytes given in hex ("-": no file at all) under the name.
QString Put(const QString& hex, const QString& name = "in") {
    const QString path = Dir.filePath(hex == "-" ? "no/such" : name);
    return hex == "-" ? path : WriteFile(path, QByteArray::fromHex(hex.toLatin1()));
}

QString Hex(const QString& path) {
    return QFile::exists(path) ? QString(ReadFile(path).toHex()) : "<no file>";
}

QDateTime Iso(const QString& text) {
    return QDateTime::fromString(text, Qt::ISODate);
}

// The result, or "error N: message" when the operation raises one.
QString Try(const std::function<QString()>& operation) {
    try {
        return operation();
    } catch (const TextCoderError& e) {
        return QStringLiteral("error %1: %2").arg(e.Number).arg(e.Message);
    }
}

// One text operation by name, under the Russian locale unless the name ends in another.
QString Apply(const QString& op, const QString& a, const QString& b) {
    TextCoder c(op.endsWith("En") ? En : op.endsWith("Ungrouped") ? Ungrouped(Ru) : Ru);
    const QLocale& l = c.Locale();
    const QString out = Put("6f6c64", "out"); // "old", longer than what is written over it
    const QMap<QString, std::function<QString()>> ops{
        {"ReadTag", [&] { return c.ReadTag(a, b); }},
        {"GetExt", [&] { return c.GetExt(a); }},
        {"GetName", [&] { return c.GetName(a); }},
        {"GetPath", [&] { return c.GetPath(a); }},
        {"OnlyName", [&] { return c.OnlyName(a); }},
        {"UnicPart", [&] { return c.GetFnameUnicPart(a); }},
        {"RulePath", [&] { return c.RulePath(a); }},
        {"CyrToUrl", [&] { return c.CyrToUrl(a); }},
        {"Punct", [&, s = a]() mutable { return c.ReplacePunctuation(s); }},
        {"SpaceCompress", [&] { return c.SpaceCompress(a); }},
        {"NonPrintable", [&] { return c.NonPrintableAscii(a); }},
        {"B64Enc", [&] { return c.Base64EncodeString(a); }},
        {"B64Dec", [&] { return c.Base64DecodeString(a); }},
        {"B64Enc2", [&] { return c.Base64Encode2(a.toLatin1(), b.toInt()); }},
        {"LimDigit", [&] { return c.LimDigit(a.toInt(), b.toInt()); }},
        {"MultiSep", [&] { return QString::number(c.IsMultiSeparator(a, b)); }},
        {"Marks",
         [&] { return c.LocalPoint() + "|" + c.LocalGrpSpace() + "|" + c.LocalCurrency(); }},
        {"IsNumber", [&] { return QString::number(c.IsNumber(a)); }},
        {"Utf8", [&] { return c.DecodeUTF8(a.toUtf8()); }},
        {"EncUtf8", [&] { return QString(c.EncodeUTF8(a).toHex()); }},
        {"Cp1251",
         [&] { return Cp1251::Encode(a).toHex() + (Cp1251::CanEncode(a) ? "" : " partial"); }},
        {"Cp1251Dec", [&] { return Cp1251::Decode(QByteArray::fromHex(a.toLatin1())); }},
        {"B64Bytes", [&] { return c.Base64Encode(All.left(a.toInt())); }},
        {"B64DecBytes", [&] { return QString(c.Base64Decode(a).toHex()); }},
        {"WriteVB", [&] { return c.UnicodeFile_Write_VB(out, a, b == "bom"), Hex(out); }},
        {"WriteAPI", [&] { return c.UnicodeFile_Write_API(out, a) ? Hex(out) : "failed"; }},
        {"WriteFSO", [&] { return c.UnicodeFile_Write_FSO(out, a, 2, b.toInt()), Hex(out); }},
        {"ReadVB", [&] { return c.UnicodeFile_Read_VB(Put(a), b == "bom"); }},
        {"ReadAPI", [&] { return c.UnicodeFile_Read_API(Put(a)); }},
        {"ReadFSO", [&] { return c.UnicodeFile_Read_FSO(Put(a), b.toInt()); }},
        {"Words", [&] { return c.StringSumm(a.toDouble()); }},
        {"Date", [&] { return GeneralDateText(ParseDateText(a, l).value_or(NAN), Ru); }},
        {"General", [&] { return GeneralDateText(a.toDouble(), l); }},
        {"Ole", [&] { return QString::number(OleDateFromDateTime(Iso(a)), 'g', 12); }},
        {"FromOle", [&] { return DateTimeFromOleDate(a.toDouble()).toString(Qt::ISODate); }}};
    const QString base = QString(op).remove(QRegularExpression("(En|Ungrouped)$"));
    return Try(ops.value(base, [] { return QString("<unknown operation>"); }));
}
} // namespace

class TestTextCoder : public QObject {
    Q_OBJECT
private slots:
    void texts_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("expected");
        const std::initializer_list<std::array<QString, 4>> rows{
            {"ReadTag", "<a><b>12</b></a>", "a", "<b>12</b>"},
            {"ReadTag", "<b>\r\n\r\nx\r\n\r\n</b>", "b", "\r\nx\r\n"},
            {"ReadTag", "<b>x</c>", "b", "x"},
            {"ReadTag", "<b><b>1</b></b>", "b", "<b>1"},
            {"ReadTag", "<bb>1</bb><b>2</b>", "b", "2"},
            {"GetExt", "file.abcdefghijk", "", ""},
            {"GetExt", "C:\\old.dir\\file", "", "dir\\file"},
            {"GetExt", ".xml", "", "xml"},
            {"GetName", "C:\\in\\", "", "in"},
            {"GetName", "C:\\in/sub\\doc.xml", "", "doc.xml"},
            {"GetPath", "C:\\in\\", "", ""},
            {"OnlyName", "doc.final.xml", "", "doc.final"},
            {"OnlyName", "readme", "", "readme"},
            {"UnicPart", "C:\\in\\pay_20240101_0042.xml", "", "0042"},
            {"UnicPart", "/in/a_b/pay_7.xml", "", "7"},
            {"RulePath", "C:\\in", "", "C:\\in\\"},
            {"RulePath", "", "", "/"},
            {"CyrToUrl", u"€ёЁ"_qs, "", "eur%D1%91%D0%81"},
            {"CyrToUrl", u"—«ђ№中"_qs, "", "%E2%80%94%C2%AB%90%B9%3F"},
            {"Punct", "a-b_c/d(x).", "", "a b c dx"},
            {"Punct", u"!@#$%^&*()+={[}]|\\;:'\"<.,?`~«»"_qs, "", ""},
            {"SpaceCompress", u"a\u00A0\u00A0b\n\nc"_qs, "", u"a\u00A0\u00A0b\n\nc"_qs},
            {"NonPrintable", u"AЯ"_qs, "", "CHR(65) & CHR(223) &  ''"},
            {"NonPrintable", QString(QChar(0)) + QChar(1), "", "CHR(0) & CHR(1) &  ''"},
            {"B64Enc", u"\u00FF\u00FE"_qs, "", "//4="},
            {"B64Enc", u"Я"_qs, "", "Pw=="},
            {"B64Dec", "//4=", "", u"\u00FF\u00FE"_qs},
            {"B64Dec", "TWF", "",
             "error -2147221504: Length of Base64 encoded input string is "
             "not a multiple of 4."},
            {"B64Dec", u"TWЯu"_qs, "", Illegal},
            {"B64Enc2", "Many", "3", "TWFu"},
            {"B64Enc2", "Ma", "3", "error 9: Subscript out of range"},
            {"LimDigit", "-5", "3", "0-5"},
            {"LimDigit", "7", "-1", "error 5:"},
            {"MultiSep", "1,5", ",", "1"},
            {"MultiSep", "1,5,6", ",", "0"},
            {"Words", "-5", "", u"ноль"_qs},
            {"Words", "11000", "", u"одиннадцать тысяч"_qs},
            {"Words", "21000", "", u"двадцать одна тысяча"_qs},
            {"Words", "2000000005", "", u"два миллиарда пять"_qs},
            {"Words", "15000000001", "", u"один"_qs},
            {"Words", "1e300", "", u"четыреста миллионов пятьсот сорок тысяч сто шестьдесят"_qs},
            {"Ole", "1899-12-29T06:00:00", "", "-1.25"},
            {"FromOle", "-1.25", "", "1899-12-29T06:00:00"},
            {"Date", "  5.1.2023 ", "", "05.01.2023"},
            {"Date", "01.02.29", "", "01.02.2029"},
            {"Date", "01.02.30", "", "01.02.1930"},
            {"Date", "2023-01-15T10:30:15.250+03:00", "", "15.01.2023 10:30:15"},
            {"DateEn", "1/15/45", "", "15.01.1945"},
            {"DateEn", "1/15/23 3:30 PM", "", "15.01.2023 15:30:00"},
            {"GeneralEn", "44941.75", "", "1/15/23 6:00:00 PM"},
            {"Marks", "", "", u",|\u00A0|\u00A0₽"_qs},
            {"MarksEn", "", "", ".|,|$"},
            {"MarksUngrouped", "", "", u",||\u00A0₽"_qs},
            {"General", "nan", "", ""},
            {"Utf8", "%D0%9F%4a%20ok", "", u"ПJ ok"_qs},
            {"Utf8", u"20% НДС"_qs, "", u"20% НДС"_qs},
            {"Utf8", "a%4", "", "a%4"},
            {"Utf8", "%%41", "", "%A"},
            {"Utf8", u"\uFEFF%41"_qs, "", u"\uFEFFA"_qs},
            {"EncUtf8", u"Я😀"_qs, "", "d0aff09f9880"},
            {"Cp1251", u"При№€\u001A"_qs, "", "cff0e8b9881a"},
            {"Cp1251", u"a中b"_qs, "", "613f62 partial"},
            {"Cp1251", u"x😀y"_qs, "", "783f79 partial"},
            {"Cp1251Dec", "c0ffb988", "", u"Ая№€"_qs},
            {"B64DecBytes", "AAH/", "", "0001ff"},
            {"WriteVB", "A", "bom", "fffe4100"},
            {"WriteVB", u"Я"_qs, "", "2f04"},
            {"WriteAPI", "A", "", "4100"},
            {"WriteFSO", "A", "-1", "fffe4100"},
            {"WriteFSO", u"Я1"_qs, "0", "df31"},
            {"ReadVB", "4f044e0441004f044e04", "bom", u"Aяю"_qs},
            {"ReadVB", "4100fffe", "bom", u"A\uFEFF"_qs},
            {"ReadVB", "-", "bom", ""},
            {"ReadAPI", "410042", "", "A"},
            {"ReadAPI", "-", "", "error 53:"},
            {"ReadFSO", "fffe4100", "-1", "A"},
            {"ReadFSO", "cff0e8", "0", u"При"_qs},
            {"ReadFSO", "-", "-1", "error 53:"},
        };
        for (const auto& r : rows)
            QTest::addRow("%s %s", qPrintable(r[0]), qPrintable(r[1]))
                << r[0] << r[1] << r[2] << r[3];
        for (int n : {256, 255, 254}) // every padding
            QTest::addRow("B64Bytes %d", n)
                << "B64Bytes" << QString::number(n) << "" << QString(All.left(n).toBase64());
        // NUL is the one character never written: it would cut the line short in the reader.
        QTest::newRow("Cp1251 every byte, NUL as '?'")
            << "Cp1251" << Cp1251::Decode(All) << ""
            << QString("3f" + All.mid(1).toHex() + " partial");
        const auto same = [](const char* op, std::initializer_list<QString> inputs, QString out) {
            for (const QString& in : inputs)
                QTest::addRow("%s %s", op, qPrintable(in)) << op << in << "" << out;
        };
        same("IsNumber", {"1.234,56", "12.50", "1.2.3", u"1234,50₽"_qs}, "1");
        same("IsNumber", {Ru.toCurrencyString(-12), Ru.toCurrencyString(1234567.89)}, "1");
        same("IsNumberEn", {"1,234.56", En.toCurrencyString(-12), En.toCurrencyString(1e6)}, "1");
        same("IsNumberUngrouped", {"0", "1000", Ungrouped(Ru).toCurrencyString(1234.5)}, "1");
        same("IsNumber", {"", "12a", "nan", "-inf", " ., "}, "0");
        // Texts that are no date: amounts, impossible days and times, other forms.
        same("Date",
             {"12", u"1\u00A0234,50\u00A0₽"_qs, "2023-02-30", "31.04.2023", "2023-01",
              "15.01.2023 10:60", "24:00", "12:5", "10:30 x", "15.01.202", "", "1/15/23",
              "0000-01-01", "2023.01.15"},
             "");
        same("DateEn", {"1,234.50", "13/15/23", "2/30/23", "1/15"}, "");
    }
    void texts() {
        QFETCH(QString, op);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        const QString actual = Apply(op, a, b);
        QCOMPARE(expected.endsWith(':') ? actual.left(expected.size()) : actual, expected);
    }

    void values_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QVariant>("content");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("number");
        auto row = [](const char* name, const QLocale& locale, const QVariant& content, int level,
                      const char* tag, bool number) {
            QTest::newRow(name) << locale << content << level << tag << number;
        };
        row("level 2", Ru, "<A>1</A>", 2, "<T>\r\n\t\t<A>1</A>\r\n</T>", false);
        row("null", Ru, QVariant(), 0, "<T></T>", false);
        row("bad level", Ru, 1, -1, "error 5:", true);
        row("no grouping", Ru, 1234567.25, 0, "<T>1234567,25</T>", true);
        row("big integer", En, 12345678901LL, 0, "<T>12345678901</T>", true);
        row("date", Ru, QDate(2026, 12, 5), 0, "<T>05.12.2026</T>", true);
        row("date-time", Ru, QDateTime(QDate(2023, 1, 15), QTime(10, 30)), 0,
            "<T>15.01.2023 10:30:00</T>", false);
    }
    void values() {
        QFETCH(QLocale, locale);
        QFETCH(QVariant, content);
        QFETCH(int, level);
        QFETCH(QString, tag);
        const TextCoder coder(locale);
        const QString made = Try([&] { return coder.MakeTag("T", content, level); });
        QCOMPARE(tag.endsWith(':') ? made.left(tag.size()) : made, tag);
        if (level == 0) QCOMPARE(coder.AntiNull(content), coder.ReadTag(made, "T"));
        QTEST(coder.IsNumber(content), "number");
    }

    void fsoAppend() {
        const TextCoder coder(Ru);
        coder.UnicodeFile_Write_FSO(Dir.filePath("append"), "A", 8);
        coder.UnicodeFile_Write_FSO(Dir.filePath("append"), u"Б"_qs, 8);
        QCOMPARE(Hex(Dir.filePath("append")), "fffe41001104"); // the mark once
    }
};

VYPISKA_TEST_APPLESS_MAIN(TestTextCoder)
#include "tst_textcoder.moc"
