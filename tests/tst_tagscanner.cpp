// The one-pass element scan against ReadTag, which defines what every element reads as.
#include "reading/TagScanner.h"
#include "text/TextCoder.h"

#include <QRandomGenerator>
#include <QtTest>
#include "TestMain.h"

namespace {
const QStringList Names = {
    QStringLiteral("b"),  QStringLiteral("bb"),    QStringLiteral("a"),   QStringLiteral("B"),
    QStringLiteral(""),   QStringLiteral("a b"),   QStringLiteral("a>b"), QStringLiteral("<b"),
    QStringLiteral("/b"), QStringLiteral("Сумма"), QStringLiteral("b"), // given twice: one slot
};
// Without a name that begins with '/', a closing tag is passed over whole.
const QStringList NoSlash = QStringList(Names).filter(QRegularExpression("^[^/]"));

// Each name's scanned content next to what ReadTag gives, for a readable failure message.
void CompareWithReadTag(const QString& text, const QStringList& names) {
    const TextCoder coder(QLocale::c());
    const TagScanner scanner(names);
    std::vector<QStringView> contents;
    scanner.Scan(text, contents);
    QCOMPARE(int(contents.size()), scanner.SlotCount());
    // The same scan on the text's UTF-8 bytes.
    const QByteArray utf8 = text.toUtf8();
    std::vector<QByteArrayView> bytes;
    scanner.Scan(utf8, bytes);
    for (const QString& name : names) {
        const int slot = scanner.Slot(name);
        QVERIFY(slot >= 0);
        const QString want = coder.ReadTag(text, name);
        for (const QString& got : {contents[size_t(slot)].toString(),
                                   QString::fromUtf8(bytes[size_t(slot)])})
            if (got != want)
                QFAIL(qPrintable(QStringLiteral("name '%1' in '%2': '%3' instead of '%4'")
                                     .arg(name, text, got, want)));
    }
}
} // namespace

class TestTagScanner : public QObject {
    Q_OBJECT
private slots:
    // The rules themselves are met by the random texts below; these rows hold what their
    // alphabet lacks: a name past Latin-1, and a null text.
    void sameAsReadTag_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("<a><b>12</b></a>");
        QTest::newRow("Cyrillic name") << QStringLiteral("<Сумма>1 234,50</Сумма>");
        QTest::newRow("Cyrillic around") << QStringLiteral("<Сум><Сумма>Ф<b>я</b></Сумма>");
        QTest::newRow("one after another") << QStringLiteral("<a>1</a><b>2</b><bb>3</bb>");
        QTest::newRow("empty text") << QString();
    }
    void sameAsReadTag() {
        QFETCH(QString, text);
        CompareWithReadTag(text, Names);
        CompareWithReadTag(text, NoSlash);
    }

    // Texts made of the characters that matter to the rules, many times over.
    void sameAsReadTagOnRandomTexts() {
        const QString alphabet = QStringLiteral("<>/abB \r\n");
        QRandomGenerator random(20240305);
        for (int i = 0; i < 20000; ++i) {
            QString text;
            const int length = int(random.bounded(40));
            for (int j = 0; j < length; ++j)
                text += alphabet.at(int(random.bounded(alphabet.size())));
            CompareWithReadTag(text, Names);
            CompareWithReadTag(text, NoSlash);
            if (QTest::currentTestFailed()) return;
        }
    }

    void unknownNameHasNoSlot() {
        const TagScanner scanner({QStringLiteral("a")});
        QCOMPARE(scanner.Slot(QStringLiteral("A")), -1);
        QCOMPARE(scanner.Slot(QStringLiteral("a")), 0);
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestTagScanner)
#include "tst_tagscanner.moc"
