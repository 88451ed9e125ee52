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

// Each name's scanned content next to what ReadTag gives, for a readable failure message.
void CompareWithReadTag(const QString& text, const QStringList& names) {
    const TextCoder coder(QLocale::c());
    const TagScanner scanner(names);
    std::vector<QStringView> contents;
    scanner.Scan(text, contents);
    QCOMPARE(int(contents.size()), scanner.SlotCount());
    for (const QString& name : names) {
        const int slot = scanner.Slot(name);
        QVERIFY(slot >= 0);
        const QString got = contents[size_t(slot)].toString();
        const QString want = coder.ReadTag(text, name);
        if (got != want)
            QFAIL(qPrintable(QStringLiteral("name '%1' in '%2': '%3' instead of '%4'")
                                 .arg(name, text, got, want)));
    }
}
} // namespace

class TestTagScanner : public QObject {
    Q_OBJECT
private slots:
    void sameAsReadTag_data() {
        QTest::addColumn<QString>("text");
        const QString crlf = QStringLiteral("\r\n");
        const QList<QPair<const char*, QString>> rows = {
            {"plain", QStringLiteral("<a><b>12</b></a>")},
            {"first occurrence counts", QStringLiteral("<b>1</b><b>2</b>")},
            {"nested same name", QStringLiteral("<b><b>1</b></b>")},
            {"closing tag missing: next closing tag", QStringLiteral("<b>x</c><bb>y")},
            {"no closing mark at all", QStringLiteral("<b>x")},
            {"case matters", QStringLiteral("<B>x</B><b>y</b>")},
            {"attributes and spaces are no opening tag",
             QStringLiteral("<b attr='1'>x</b><b >y</b><b/><b>z</b>")},
            {"longer name first", QStringLiteral("<bb>1</bb><b>2</b>")},
            {"'<' inside the tag text", QStringLiteral("<<b>x</b>")},
            {"'>' before any tag", QStringLiteral("> <a>1</a>")},
            {"opening tag inside an attribute", QStringLiteral("<a x=\"<b>\">q</a>")},
            {"empty name", QStringLiteral("x<>y</>z")},
            {"name with a space", QStringLiteral("<a b>v</a b>")},
            {"name with '>'", QStringLiteral("<a>b>w</a>b><a>")},
            {"name starting with '<'", QStringLiteral("<<b>v</<b>")},
            {"name starting with '/'", QStringLiteral("<b>1</b></b>t<//b>")},
            {"Cyrillic name", QStringLiteral("<Сумма>1 234,50</Сумма>")},
            {"CR LF trimmed once each side",
             QStringLiteral("<b>") + crlf + crlf + "x" + crlf + crlf + "</b>"},
            {"only CR LF", QStringLiteral("<b>") + crlf + "</b>"},
            {"lone LF kept", QStringLiteral("<b>\nx\n</b>")},
            {"empty content", QStringLiteral("<b></b><a></a>")},
            {"unterminated tag at the end", QStringLiteral("<a>1</a><b")},
            {"entities and CDATA as written", QStringLiteral("<b>&lt;5<![CDATA[<a>]]></b>")},
            {"empty text", QString()},
        };
        for (const auto& [name, text] : rows)
            QTest::newRow(name) << text;
    }
    void sameAsReadTag() {
        QFETCH(QString, text);
        CompareWithReadTag(text, Names);
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
