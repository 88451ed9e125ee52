// vypiska-cli check: the problems list on stdout as TSV or JSON, and its exit status.
#include <QTemporaryDir>
#include <QtTest>
#include "TestMain.h"

#include "TestFiles.h"
#include "text/Cp1251.h"

using namespace Qt::StringLiterals;

namespace {

const QString Acc = u"40702810500000000001"_s;
const QString Captions = u"Вид\tФайл\tРеквизит\tЗначение\tПочему\tНомер\tДата\tСумма\n"_s;

// A settings folder and a folder "docs" of documents, each "number;amount;payer's ИНН" of
// the organisation's own account.
struct Batch {
    QTemporaryDir Dir;
    QString Config = Dir.filePath("CONFIG");
    QString Docs = Dir.filePath("docs");

    Batch(const QStringList& docs, const QString& acc) {
        WriteFile(Config + "/TAG.INI",
                  Cp1251::Encode(u"Номер = Номер;Num\r\nСумма = Сумма;Sum\r\n"
                                 "ИНН = ПлательщикИНН;Inn\r\nСчет = ПлательщикСчет;Acc\r\n"
                                 "Счет получателя = ПолучательСчет;Payee\r\n"_s));
        WriteFile(Config + "/Выписка.txt.tpl", "<document>\r\n{Num}\r\n</document>\r\n");
        if (!acc.isEmpty())
            WriteFile(Config + "/CONFIG.INI", "[Organization]\r\nACC=" + acc.toLatin1() + "\r\n");
        QDir().mkpath(Docs);
        for (qsizetype i = 0; i < docs.size(); ++i) {
            const QStringList v = docs[i].split(u';');
            WriteFile(Docs + u"/d%1.xml"_s.arg(i),
                      (u"<D><Num>%1</Num><Sum>%2</Sum><Inn>%3</Inn><Acc>%4</Acc>"
                       "<Payee>40702810500000000002</Payee></D>"_s)
                          .arg(v[0], v[1], v[2], Acc)
                          .toUtf8());
        }
    }
    ProgramRun Check(const QStringList& options) const {
        return RunProgram(VYPISKA_CLI,
                          QStringList{"check", "--config", Config} + options + QStringList{Docs});
    }
};

} // namespace

class TestCliCheck : public QObject {
    Q_OBJECT
private slots:
    // The whole of stdout and the exit status: 0 with nothing found, 4 with findings, 1 with no
    // documents; values are escaped as list escapes them.
    void check_data() {
        AddColumns<QStringList, QString, QString, int, QString>(
            {"docs", "acc", "format", "exit", "out"});
        const QStringList fine{"1;5.00;7707083893"}, badInn{"1;5.00;7707083894"};
        const QString inn =
            u"реквизит\td0.xml\tИНН\t7707083894\tневерное контрольное число ИНН\t1\t\t5.00\n"_s;
        QTest::newRow("nothing found") << fine << Acc << "tsv" << 0 << Captions;
        QTest::newRow("nothing found, json") << fine << Acc << "json" << 0 << "[]\n";
        QTest::newRow("a wrong ИНН") << badInn << Acc << "tsv" << 4 << Captions + inn;
        QTest::newRow("a wrong ИНН, json")
            << badInn << Acc << "json" << 4
            << u"[\n{\"kind\":\"реквизит\",\"file\":\"d0.xml\",\"field\":\"ИНН\",\"value\":"
               "\"7707083894\",\"why\":\"неверное контрольное число ИНН\",\"number\":\"1\","
               "\"date\":\"\",\"amount\":\"5.00\"}\n]\n"_s;
        QTest::newRow("no account, then the documents")
            << badInn << ""
            << "tsv" << 4
            << Captions +
                   u"счет организации\tCONFIG.INI\tACC\t\tНе указан расчетный счет организации: "
                   "в выписке поле РасчСчет будет пустым\t\t\t\n"_s +
                   inn;
        QTest::newRow("a value of tab and backslash")
            << QStringList{"1;5.00;77\\07\t08"} << Acc << "tsv" << 4
            << Captions + u"реквизит\td0.xml\tИНН\t77\\\\07\\t08\tИНН должен состоять из 10 "
                          "или 12 цифр\t1\t\t5.00\n"_s;
        QTest::newRow("a value of quote, json")
            << QStringList{"1;5.00;\"7\""} << Acc << "json" << 4
            << u"[\n{\"kind\":\"реквизит\",\"file\":\"d0.xml\",\"field\":\"ИНН\",\"value\":"
               "\"\\\"7\\\"\",\"why\":\"ИНН должен состоять из 10 или 12 цифр\",\"number\":"
               "\"1\",\"date\":\"\",\"amount\":\"5.00\"}\n]\n"_s;
        QTest::newRow("no documents") << QStringList{} << Acc << "tsv" << 1 << Captions;
    }
    void check() {
        QFETCH(QStringList, docs);
        QFETCH(QString, acc);
        QFETCH(QString, format);
        const Batch batch(docs, acc);
        const ProgramRun run = batch.Check({"--locale", "ru_RU", "--format", format});
        QTEST(run.Exit, "exit");
        QTEST(QString::fromUtf8(run.Out), "out");
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestCliCheck)
#include "tst_cli_check.moc"
