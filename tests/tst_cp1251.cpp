#include "text/Cp1251.h"

#include <QTest>

class TestCp1251 : public QObject {
    Q_OBJECT
private slots:
    void roundTripAllBytes();
    void encode_data();
    void encode();
    void canEncode_data();
    void canEncode();
};

void TestCp1251::roundTripAllBytes() {
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    const QString text = Cp1251::Decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(Cp1251::Encode(text), all);
    QVERIFY(Cp1251::CanEncode(text));
    QCOMPARE(text.at(0xC0), QChar(0x0410));
    QCOMPARE(text.at(0xFF), QChar(0x044F));
    QCOMPARE(text.at(0xB9), QChar(0x2116));
    QCOMPARE(text.at(0x88), QChar(0x20AC));
}

void TestCp1251::encode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("russian") << u"Привет"_qs << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2");
    QTest::newRow("missing char") << u"a中b"_qs << QByteArray("a?b");
    QTest::newRow("emoji is one mark") << QString::fromUcs4(U"x\U0001F600y") << QByteArray("x?y");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    QTest::newRow("real SUB stays") << QString(QChar(0x1A)) + "z" << QByteArray("\x1Az");
    QTest::newRow("nul") << QString(QChar(0)) << QByteArray(1, '\0');
    QTest::newRow("empty") << "" << QByteArray();
}

void TestCp1251::encode() {
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(Cp1251::Encode(text), expected);
}

void TestCp1251::canEncode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("russian") << u"Счёт № 5 — «да»"_qs << true;
    QTest::newRow("question mark") << "?" << true;
    QTest::newRow("chinese") << u"中"_qs << false;
    QTest::newRow("emoji") << QString::fromUcs4(U"\U0001F600") << false;
    QTest::newRow("empty") << "" << true;
}

void TestCp1251::canEncode() {
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(Cp1251::CanEncode(text), expected);
}

QTEST_APPLESS_MAIN(TestCp1251)
#include "tst_cp1251.moc"
