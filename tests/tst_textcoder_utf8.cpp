#include "text/TextCoder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestTextCoderUtf8 : public QObject {
    Q_OBJECT

    const TextCoder m_coder{QLocale(QLocale::Russian, QLocale::Russia)};
    QTemporaryDir m_dir;

private slots:
    void decode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("raw") << QByteArray("\xD0\x9F\xD1\x80\xD0\xB8") << u"При"_qs;
        QTest::newRow("escaped") << QByteArray("%D0%9F") << u"П"_qs;
        QTest::newRow("lower hex") << QByteArray("%4a%41") << "JA";
        QTest::newRow("percent before space") << QByteArray("20% НДС") << u"20% НДС"_qs;
        QTest::newRow("percent at end") << QByteArray("Скидка 100%") << u"Скидка 100%"_qs;
        QTest::newRow("one hex digit at end") << QByteArray("a%4") << "a%4";
        QTest::newRow("percent then blank digit") << QByteArray("% 1") << "% 1";
        QTest::newRow("percent percent") << QByteArray("%%41") << "%A";
        QTest::newRow("escape and text") << QByteArray("%D0%9F%20ok 5%") << u"П ok 5%"_qs;
        QTest::newRow("bom kept") << QByteArray("\xEF\xBB\xBFx") << QString(QChar(0xFEFF)) + "x";
        QTest::newRow("bom kept with percent")
            << QByteArray("\xEF\xBB\xBF%41") << QString(QChar(0xFEFF)) + "A";
        QTest::newRow("ill-formed") << QByteArray("a\xFFz") << QString("a") + QChar(0xFFFD) + "z";
        QTest::newRow("four bytes")
            << QByteArray("\xF0\x9F\x98\x80") << QString::fromUcs4(U"\U0001F600");
        QTest::newRow("empty") << QByteArray() << "";
    }
    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(m_coder.DecodeUTF8(bytes), expected);
    }
    void encode() {
        QCOMPARE(m_coder.EncodeUTF8(u"Я"_qs), QByteArray("\xD0\xAF"));
        QCOMPARE(m_coder.EncodeUTF8(QString()), QByteArray());
        const QString text = u"Платёж № 5 — 20% НДС"_qs;
        QCOMPARE(m_coder.DecodeUTF8(m_coder.EncodeUTF8(text)), text);
    }
    void writeFiles_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("vb bom") << "vb+bom"
                                << "A" << QByteArray("\xFF\xFE\x41\x00", 4);
        QTest::newRow("vb plain") << "vb" << u"Я"_qs << QByteArray("\x2F\x04", 2);
        QTest::newRow("api") << "api"
                             << "A" << QByteArray("\x41\x00", 2);
        QTest::newRow("fso unicode") << "fso"
                                     << "A" << QByteArray("\xFF\xFE\x41\x00", 4);
        QTest::newRow("fso code page") << "fso0" << u"Я1"_qs << QByteArray("\xDF\x31");
    }
    void writeFiles() {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        const QString path = m_dir.filePath(QTest::currentDataTag());
        WriteBytes(path, "old content that is longer");
        if (how == "vb+bom")
            m_coder.UnicodeFile_Write_VB(path, text, true);
        else if (how == "vb")
            m_coder.UnicodeFile_Write_VB(path, text);
        else if (how == "api")
            QVERIFY(m_coder.UnicodeFile_Write_API(path, text));
        else
            m_coder.UnicodeFile_Write_FSO(path, text, 2, how == "fso" ? -1 : 0);
        QCOMPARE(ReadBytes(path), expected);
    }
    void readFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        const QByteArray bomA("\xFF\xFE\x41\x00", 4);
        QTest::newRow("vb keeps bom") << bomA << "vb" << QString(QChar(0xFEFF)) + "A";
        QTest::newRow("vb removes bom") << bomA << "vb-bom"
                                        << "A";
        // "яю" inside the text is data: only a leading mark goes.
        const QByteArray yayu("\x4F\x04\x4E\x04\x41\x00\x4F\x04\x4E\x04", 10);
        QTest::newRow("vb removes leading pair only") << yayu << "vb-bom" << u"Aяю"_qs;
        QTest::newRow("vb keeps inner bom")
            << QByteArray("\x41\x00\xFF\xFE", 4) << "vb-bom" << QString("A") + QChar(0xFEFF);
        QTest::newRow("vb odd byte") << QByteArray("\x41\x00\x42", 3) << "vb"
                                     << "AB";
        QTest::newRow("api odd byte") << QByteArray("\x41\x00\x42", 3) << "api"
                                      << "A";
        QTest::newRow("fso skips bom") << bomA << "fso"
                                       << "A";
        QTest::newRow("fso code page") << QByteArray("\xCF\xF0\xE8") << "fso0" << u"При"_qs;
    }
    void readFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        const QString path = m_dir.filePath(QTest::currentDataTag());
        WriteBytes(path, bytes);
        QString actual;
        if (how.startsWith("vb"))
            actual = m_coder.UnicodeFile_Read_VB(path, how == "vb-bom");
        else if (how == "api")
            actual = m_coder.UnicodeFile_Read_API(path);
        else
            actual = m_coder.UnicodeFile_Read_FSO(path, how == "fso" ? -1 : 0);
        QCOMPARE(actual, expected);
    }
    void fsoAppendAndCodePage() {
        const QString path = m_dir.filePath("append.txt");
        m_coder.UnicodeFile_Write_FSO(path, "A", 8);
        m_coder.UnicodeFile_Write_FSO(path, u"Б"_qs, 8);
        QCOMPARE(ReadBytes(path), QByteArray("\xFF\xFE\x41\x00\x11\x04", 6));
        QCOMPARE(m_coder.UnicodeFile_Read_FSO(path), u"AБ"_qs);
        m_coder.UnicodeFile_Write_FSO(path, "C");
        QCOMPARE(m_coder.UnicodeFile_Read_FSO(path), QStringLiteral("C"));
    }
    void missingFiles() {
        const QString missing = m_dir.filePath("no/such/file");
        QCOMPARE(m_coder.UnicodeFile_Read_VB(missing, true), QString());
        QVERIFY_THROWS_EXCEPTION(TextCoderError, m_coder.UnicodeFile_Read_API(missing));
        QVERIFY_THROWS_EXCEPTION(TextCoderError, m_coder.UnicodeFile_Read_FSO(missing));
        QVERIFY(!m_coder.UnicodeFile_Write_API(missing, "x"));
        QVERIFY_THROWS_EXCEPTION(TextCoderError, m_coder.UnicodeFile_Write_VB(missing, "x"));
    }
    void failedWriteKeepsOldFile() {
        // A read-only folder: the new content cannot be placed, the old file stays whole.
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.txt");
        WriteBytes(path, "old");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        if (QFile(dir.filePath("probe")).open(QIODevice::WriteOnly))
            QSKIP("the folder stays writable (running as root)");
        QVERIFY(!m_coder.UnicodeFile_Write_API(path, "new"));
        QVERIFY_THROWS_EXCEPTION(TextCoderError, m_coder.UnicodeFile_Write_VB(path, "new"));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(ReadBytes(path), QByteArray("old"));
    }
};

QTEST_APPLESS_MAIN(TestTextCoderUtf8)
#include "tst_textcoder_utf8.moc"
