#include "text/TextCoder.h"

#include <QTest>

namespace {
const QLocale Ru(QLocale::Russian, QLocale::Russia);

void AddPairs(std::initializer_list<std::array<QString, 2>> rows) {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    int i = 0;
    for (const auto& r : rows)
        QTest::addRow("%d %s", ++i, qPrintable(r[0])) << r[0] << r[1];
}
} // namespace

class TestTextCoderWords : public QObject {
    Q_OBJECT
private slots:
    void stringSumm_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");
        const std::initializer_list<std::pair<double, const char16_t*>> rows{
            {0, u"ноль"},
            {-5, u"ноль"},
            {0.75, u""},
            {1, u"один"},
            {11, u"одиннадцать"},
            {20, u"двадцать"},
            {101, u"сто один"},
            {1000, u"одна тысяча"},
            {2001, u"две тысячи один"},
            {5000, u"пять тысяч"},
            {11000, u"одиннадцать тысяч"},
            {21000, u"двадцать одна тысяча"},
            {20000, u"двадцать тысяч"},
            {100000, u"сто  тысяч"},
            {1234567, u"один миллион двести тридцать четыре тысячи пятьсот шестьдесят семь"},
            {12000000, u"двенадцать миллионов"},
            {100000000, u"сто миллионов"},
            {2000000005, u"два миллиарда пять"},
            {12345.67, u"двенадцать тысяч триста сорок пять"},
            {15000000001, u"один"}};
        for (const auto& [amount, words] : rows)
            QTest::addRow("%.2f", amount) << amount << QString::fromUtf16(words);
    }
    void stringSumm() {
        QFETCH(double, amount);
        QFETCH(QString, expected);
        QCOMPARE(TextCoder(Ru).StringSumm(amount), expected);
    }

    void base64_data() {
        AddPairs({{"Man", "TWFu"},
                  {"Ma", "TWE="},
                  {"M", "TQ=="},
                  {"", ""},
                  {u"\u00FF\u00FE"_qs, "//4="}});
    }
    void base64() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        TextCoder coder(Ru);
        QCOMPARE(coder.Base64EncodeString(input), expected);
        QCOMPARE(coder.Base64DecodeString(expected), input);
    }

    void base64Errors_data() {
        const QString length = "Length of Base64 encoded input string is not a multiple of 4.";
        const QString illegal = "Illegal character in Base64 encoded data.";
        AddPairs({{"TWF", length},
                  {"TW-u", illegal},
                  {"TW=u", illegal},
                  {"QUJDR===", illegal},
                  {"TW u", illegal},
                  {u"TWЯu"_qs, illegal},
                  {u"TW\u00E9u"_qs, illegal}});
    }
    void base64Errors() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        try {
            TextCoder(Ru).Base64Decode(input);
            QFAIL("no error raised");
        } catch (const TextCoderError& e) {
            QCOMPARE(e.Number, qint32(0x80040000));
            QCOMPARE(e.Message, expected);
        }
    }

    void base64Bytes() {
        TextCoder coder(Ru);
        QCOMPARE(coder.Base64EncodeString(u"Я"_qs), QStringLiteral("Pw=="));
        QCOMPARE(coder.Base64Decode("===="), QByteArray());
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        for (int n = 0; n <= 3; ++n) {
            const QByteArray data = all.left(all.size() - n);
            QCOMPARE(coder.Base64Encode(data), QString::fromLatin1(data.toBase64()));
            QCOMPARE(coder.Base64Decode(coder.Base64Encode(data)), data);
        }
        QCOMPARE(coder.Base64Encode2("Many", 3), QStringLiteral("TWFu"));
        QVERIFY_THROWS_EXCEPTION(TextCoderError, coder.Base64Encode2("Ma", 3));
    }

    void cyrToUrl_data() {
        AddPairs({{"Ab 1", "%41%62%20%31"},
                  {"{}%\t", "%7B%7D%25%09"},
                  {u"€"_qs, "eur"},
                  {u"Да"_qs, "%D0%94%D0%B0"},
                  {u"ёЁ"_qs, "%D1%91%D0%81"},
                  {u"—«"_qs, "%E2%80%94%C2%AB"},
                  {u"ђ№"_qs, "%90%B9"},
                  {u"中"_qs, "%3F"}});
    }
    void cyrToUrl() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(TextCoder(Ru).CyrToUrl(input), expected);
    }

    void replacePunctuation_data() {
        AddPairs({{"a-b_c/d", "a b c d"},
                  {"(x).", "x"},
                  {"a>b", "a>b"},
                  {"a - b", "a   b"},
                  {u"!@#$%^&*()+={[}]|\\;:'\"<.,?`~«»"_qs, ""}});
    }
    void replacePunctuation() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(TextCoder(Ru).ReplacePunctuation(input), expected);
        QCOMPARE(input, expected);
    }

    void cleaners() {
        const TextCoder coder(Ru);
        QCOMPARE(coder.SpaceCompress("\t x   y"), QStringLiteral(" x y"));
        QCOMPARE(coder.SpaceCompress(u"a\u00A0\u00A0b\n\nc"_qs), u"a\u00A0\u00A0b\n\nc"_qs);
        QCOMPARE(coder.NonPrintableAscii("AB"), QStringLiteral("CHR(65) & CHR(66) &  ''"));
        QCOMPARE(coder.NonPrintableAscii(u"Я"_qs), QStringLiteral("CHR(223) &  ''"));
        QCOMPARE(coder.NonPrintableAscii(""), QStringLiteral(" ''"));
        QCOMPARE(coder.AntiNull(QVariant()), QString());
        QCOMPARE(coder.AntiNull(5), QStringLiteral("5"));
    }
};

QTEST_APPLESS_MAIN(TestTextCoderWords)
#include "tst_textcoder_words.moc"
