#include "checks/CheckFindings.h"
#include "checks/DocumentChecks.h"
#include "checks/DocumentKey.h"
#include "checks/DocumentTotals.h"
#include "checks/OrganisationSide.h"
#include "checks/RequisiteChecks.h"

#include <QtTest>
#include "TestMain.h"

namespace {

// Number, date, amount and the two sides' requisites, keyed as the default TAG.INI keys them.
const QStringList Keys = {
    u"Номер"_qs,         u"Дата"_qs,           u"Сумма"_qs,         u"ПлательщикИНН"_qs,
    u"ПлательщикКПП"_qs, u"ПлательщикСчет"_qs, u"ПлательщикБИК"_qs, u"ПлательщикКорсчет"_qs,
    u"ПолучательИНН"_qs, u"ПолучательСчет"_qs, u"ПолучательБИК"_qs};

DocumentTable Table() {
    DocumentTable table;
    for (const QString& key : Keys)
        table.Columns.push_back({key + QStringLiteral(" caption"), key + QStringLiteral(";x")});
    return table;
}

// A document with valid requisites; changes replace values by key.
// "file: field 'value': why" of each finding, "file: повтор" of a duplicate.
QStringList Said(const DocumentTable& table, const DocumentChecks& checks) {
    QStringList said;
    for (const Finding& f : CheckFindings(table, checks))
        said << (f.Kind == FindingKind::Duplicate
                     ? f.File + u": повтор"_qs
                     : u"%1: %2 '%3': %4"_qs.arg(f.File, f.Field, f.Value, f.Why));
    return said;
}

DocumentRow Document(const QString& path, const QMap<QString, QString>& changes = {}) {
    QMap<QString, QString> values = {
        {u"Номер"_qs, u"17"_qs},
        {u"Дата"_qs, u"2024-03-05"_qs},
        {u"Сумма"_qs, u"1500.00"_qs},
        {u"ПлательщикИНН"_qs, u"7707083893"_qs},
        {u"ПлательщикКПП"_qs, u"773601001"_qs},
        {u"ПлательщикСчет"_qs, u"40702810938000012345"_qs},
        {u"ПлательщикБИК"_qs, u"044525225"_qs},
        {u"ПлательщикКорсчет"_qs, u"30101810400000000225"_qs},
        {u"ПолучательИНН"_qs, u"500100732259"_qs},
        {u"ПолучательСчет"_qs, u"40817810500001234567"_qs},
        {u"ПолучательБИК"_qs, u"044525974"_qs},
    };
    for (auto i = changes.cbegin(); i != changes.cend(); ++i)
        values[i.key()] = i.value();
    DocumentRow row;
    row.SourcePath = u"/in/"_qs + path;
    for (const QString& key : Keys)
        row.Cells.push_back({values[key], values[key]});
    return row;
}

} // namespace

class TestChecks : public QObject {
    Q_OBJECT
private slots:
    void requisites_data() {
        AddColumns<QString, QString>({"kind", "value"});
        QTest::addColumn<QString>("bic"); // for accounts
        QTest::addColumn<bool>("valid");
        auto row = [](const char* name, const char* kind, const char* value, bool valid,
                      const char* bic = "") {
            QTest::newRow(name) << kind << value << bic << valid;
        };
        row("ИНН legal", "inn", "7707083893", true);
        row("ИНН legal, last digit changed", "inn", "7707083894", false);
        row("ИНН personal", "inn", "500100732259", true);
        row("ИНН personal, 11th digit changed", "inn", "500100732269", false);
        row("ИНН personal, 12th digit changed", "inn", "500100732250", false);
        row("ИНН 11 digits", "inn", "77070838931", false);
        row("ИНН with a letter", "inn", "77070838A3", false);
        row("ИНН empty passes", "inn", "", true);
        row("ИНН \"0\": none given", "inn", "0", true);
        row("ИНН \"00\"", "inn", "00", false);
        row("ИНН of region 02", "inn", "0274062111", true);
        row("ИНН beginning 00, its check digit right", "inn", "0074062114", false);
        row("КПП \"0\": none given", "kpp", "0", true);
        row("КПП digits", "kpp", "773601001", true);
        row("КПП letters in 5-6", "kpp", "7736AB001", true);
        row("КПП letter elsewhere", "kpp", "A73601001", false);
        row("КПП small letters", "kpp", "7736ab001", false);
        row("КПП Cyrillic letters", "kpp", "7736АВ001", false);
        row("КПП 8 characters", "kpp", "77360100", false);
        row("БИК", "bic", "044525225", true);
        row("БИК 8 digits", "bic", "04452522", false);
        row("БИК 10 digits", "bic", "0445252250", false);
        row("БИК with a blank", "bic", "0445 5225", false);
        row("БИК of a treasury office", "bic", "004525988", true);
        row("БИК not beginning with 0", "bic", "104525988", false);
        row("account, regional bank", "account", "40702810055000000123", true, "040702615");
        row("account against another side's BIC", "account", "40702810938000012345", false,
            "044525974");
        row("account 19 digits", "account", "4070281093800001234", false, "044525225");
        row("account, no BIC: digits only", "account", "40702810938000012346", true, "");
        row("account, invalid BIC: digits only", "account", "40702810938000012346", true, "0445");
        row("corr. account, regional", "corr", "30101810600000000615", true, "040702615");
        row("corr. account checked as an account", "account", "30101810400000000225", false,
            "044525225");
        // The single tax payment and a Bank of Russia account: the key with "0" and the BIC's
        // 5th and 6th digits; a treasury account has no key at all.
        row("tax payment: payee ИНН", "inn", "7727406020", true);
        row("tax payment: payee КПП", "kpp", "770801001", true);
        row("tax payment: treasury account", "account", "03100643000000018500", true, "017003983");
        row("treasury account, one digit changed: no key to fail", "account",
            "03100643000000018501", true, "017003983");
        row("Moscow treasury office account", "account", "03100643000000017300", true, "004525988");
        row("shared treasury account of institutions", "account", "03234643657010001900", true,
            "004525988");
        row("treasury account, currency digit changed", "account", "03100644000000017300", false,
            "004525988");
        row("Moscow single treasury account as corr.", "corr", "40102810545370000003", true,
            "004525988");
        // For these the "bic" column holds the treasury account beside the corr. account.
        row("treasury: corr. the single treasury account", "treasury corr", "40102810545370000003",
            true, "03100643000000017300");
        row("treasury: corr. not the single treasury account", "treasury corr",
            "40112810545370000003", false, "03100643000000017300");
        row("treasury: corr. empty", "treasury corr", "", true, "03100643000000017300");
        row("commercial account: any corr.", "treasury corr", "30101810400000000225", true,
            "40702810938000012345");
        row("single treasury account as the account", "account", "40102810445370000059", true,
            "017003983");
        row("single treasury account, one digit changed", "account", "40102810445370000069", false,
            "017003983");
        row("Bank of Russia division, BIC ...001", "account", "40101810045250010041", true,
            "044525001");
        row("Bank of Russia account at a credit institution's BIC", "account",
            "40101810045250010041", false, "044525225");
        row("date", "date", "05.03.2024", true);
        row("29 February of a leap year", "date", "29.02.2024", true);
        row("month 13, ISO", "date", "2024-13-01", false);
        row("year of five digits", "date", "01.01.10000", false);
        row("date \"0\": none due", "date", "0", true);
        row("no date at all", "date", "вчера", false);
    }
    void requisites() {
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(QString, bic);
        const QString why = kind == u"inn"    ? InnProblem(value)
                            : kind == u"kpp"  ? KppProblem(value)
                            : kind == u"bic"  ? BicProblem(value)
                            : kind == u"date" ? DateProblem(value)
                            : kind == u"treasury corr"
                                ? TreasuryCorrAccountProblem(bic, value)
                                : AccountProblem(value, bic, kind == u"corr");
        QTEST(why.isEmpty(), "valid");
        if (kind != u"date") return;
        // A table's dates are checked by their column's key.
        DocumentTable table = Table();
        table.Rows = {Document(u"a.xml"_qs, {{u"Дата"_qs, value}})};
        QTEST(!CheckDocuments(table).CellAt(u"/in/a.xml"_qs, 1), "valid");
    }

    // Any one digit changed anywhere in a valid account breaks its key (weights 7 1 3 are prime
    // to 10), for both kinds of account.
    void everySingleDigitChangeOfAnAccountFails() {
        const struct {
            QString Account, Bic;
            bool Corr;
        } valid[] = {{u"40702810938000012345"_qs, u"044525225"_qs, false},
                     {u"30101810400000000225"_qs, u"044525225"_qs, true},
                     {u"40817810500001234567"_qs, u"044525974"_qs, false},
                     {u"40101810045250010041"_qs, u"044525000"_qs, false},
                     {u"40102810445370000059"_qs, u"017003983"_qs, true}};
        for (const auto& v : valid) {
            QVERIFY(AccountProblem(v.Account, v.Bic, v.Corr).isEmpty());
            for (qsizetype i = 0; i < v.Account.size(); ++i) {
                for (char d = '0'; d <= '9'; ++d) {
                    if (v.Account[i] == QLatin1Char(d)) continue;
                    QString changed = v.Account;
                    changed[i] = QLatin1Char(d);
                    QVERIFY2(!AccountProblem(changed, v.Bic, v.Corr).isEmpty(),
                             qPrintable(changed));
                }
            }
        }
    }

    void fieldsByKeySuffix_data() {
        AddColumns<QString, int, QString>({"key", "kind", "side"});
        QTest::newRow("payer's ИНН") << "ПлательщикИНН" << int(RequisiteKind::Inn) << "Плательщик";
        QTest::newRow("corr. account, not an account")
            << "ПолучательКорсчет" << int(RequisiteKind::CorrAccount) << "Получатель";
        QTest::newRow("account") << "ПолучательСчет" << int(RequisiteKind::Account) << "Получатель";
        QTest::newRow("bare key, any case") << "бик" << int(RequisiteKind::Bic) << "";
        QTest::newRow("not at the end") << "ИННПлательщика" << int(RequisiteKind::None) << "";
        QTest::newRow("debit date") << "ДатаСписано" << int(RequisiteKind::Date) << "";
        QTest::newRow("tax date, any case") << "показательдаты" << int(RequisiteKind::Date) << "";
        QTest::newRow("a date's key is whole")
            << "ДатаСписаноБанком" << int(RequisiteKind::None) << "";
    }
    void fieldsByKeySuffix() {
        QFETCH(QString, key);
        const RequisiteField field = RequisiteFieldOf(key);
        QTEST(int(field.Kind), "kind");
        QTEST(field.Side, "side");
    }

    void totals_data() {
        // '|' between; a leading '!': unchecked; "<" after it: paid to the account, ">": from it
        QTest::addColumn<QString>("amounts");
        QTest::addColumn<QString>("account"); // the organisation's
        QTest::addColumn<QString>("text");    // after "Отмечено: "
        auto row = [](const char* name, const char* amounts, const char* text,
                      const char* account = "") {
            QTest::newRow(name) << QString(amounts) << account << QString::fromUtf8(text);
        };
        row("0.10 + 0.20 is exactly 0,30", "0.10|0.20", "2 из 2 · 0,30 ₽");
        row("grouping, sender's marks", "1 234 000,89|567.00|0,5", "3 из 3 · 1 234 568,39 ₽");
        // The statement writes these as they stand: a total with 50,00 or 1,00 would lie.
        row("unchecked left out", "10|!99|5.05", "2 из 3 · 15,05 ₽");
        row("zero or below pays nothing, and is said", "-100.50|0|0.25",
            "3 из 3 · 0,25 ₽ · не учтено сумм: 2");
        row("not a number is left out, and said", "abc|2",
            "2 из 2 · 2,00 ₽ · не учтено сумм: 1");
        row("a sum past 64 bits is not wrapped", "92233720368547758.07|0.01",
            "2 из 2 · 92 233 720 368 547 758,07 ₽ · не учтено сумм: 1");
        row("nothing checked", "!1", "0 из 1 · 0,00 ₽");
        const char* acc = "40702810500000000001";
        row("income and outgo of the account, others and unchecked aside",
            "60000<|30000.64>|7386>|5|!100<",
            "4 из 5 · 97 391,64 ₽ · поступило 60 000,00 · "
            "списано 37 386,64",
            acc);
        row("nothing of the account: both are zero", "5",
            "1 из 1 · 5,00 ₽ · поступило 0,00 · "
            "списано 0,00",
            acc);
        row("an amount of the account that can't be added empties its sum only", "10 руб.<|3>",
            "2 из 2 · 3,00 ₽ · списано 3,00 · не учтено сумм: 1", acc);
        row("an account of 19 digits is none", "1<", "1 из 1 · 1,00 ₽", "4070281050000000000");
    }
    void totals() {
        QFETCH(QString, amounts);
        QFETCH(QString, account);
        QFETCH(QString, text);
        DocumentTable table = Table();
        for (QString amount : amounts.split(u'|')) {
            const bool unchecked = amount.startsWith(u'!');
            QMap<QString, QString> changes;
            if (amount.endsWith(u'<')) changes[u"ПолучательСчет"_qs] = account;
            if (amount.endsWith(u'>')) changes[u"ПлательщикСчет"_qs] = u' ' + account;
            amount = amount.mid(unchecked ? 1 : 0).remove(u'<').remove(u'>');
            changes[u"Сумма"_qs] = amount;
            table.Rows.push_back(Document(amount, changes));
            table.Rows.back().Checked = !unchecked;
        }
        QCOMPARE(TotalsText(ComputeTotals(table, {account, {}})), u"Отмечено: "_qs + text);
    }

    // Which side is the organisation's, and what follows from it: a document of neither side is
    // named once on its payer account, the totals count it each way it is ours. A side can be told
    // only with a valid ACC and both account columns.
    void organisationSide_data() {
        QTest::addColumn<QString>("payer"); // account, "|" INN
        QTest::addColumn<QString>("payee");
        QTest::addColumn<QString>("org");     // ACC "|" INN
        QTest::addColumn<QString>("dropKey"); // a column left out of the map
        QTest::addColumn<QString>("side");    // payer, payee, both, none, unknown
        const QString acc = u"40702810500000000001"_qs, other = u"40702810938000012345"_qs;
        const QString ours = acc + u"|7707083893"_qs, theirs = other + u"|5001007329"_qs;
        auto row = [](const char* name, const QString& payer, const QString& payee,
                      const QString& org, const char* side, const char* drop = "") {
            QTest::newRow(name) << payer << payee << org << drop << side;
        };
        row("neither side", theirs, theirs, acc, "none");
        row("payer's", ours, theirs, acc, "payer");
        row("payee's, blanks around", theirs, u' ' + acc + u' ', acc, "payee");
        row("within the account", ours, ours, acc, "both");
        row("no account set", theirs, theirs, "", "unknown");
        row("account not 20 digits", theirs, theirs, acc.left(19), "unknown");
        row("account with a letter", theirs, theirs, acc.left(19) + u'O', "unknown");
        row("no payee column", theirs, theirs, acc, "unknown", "ПолучательСчет");
        row("no payer column", theirs, theirs, acc, "unknown", "ПлательщикСчет");
        // A commercial account paying a tax for a third party carries the taxpayer's INN.
        row("commercial account, another's INN", acc + u"|5001007329"_qs, theirs,
            acc + u"|7707083893"_qs, "payer");
        // A school and a centre served by one treasury office share one account.
        const QString shared = u"03234643657010001900"_qs;
        const QString school = shared + u"|6658012341"_qs, centre = shared + u"|6658024682"_qs;
        row("shared treasury account, the school pays", school, centre, school, "payer");
        row("shared treasury account, the school is paid", centre, school, school, "payee");
        row("shared treasury account, between others", centre, centre, school, "none");
        row("shared treasury account, INN empty or 0", shared + u"|"_qs, shared + u"| 0 "_qs,
            school, "both");
        row("treasury account, no INN set: the account decides", school, centre, shared, "both");
        row("the account decides a side without its INN column", centre, centre, school, "payer",
            "ПлательщикИНН");
    }
    void organisationSide() {
        QFETCH(QString, payer);
        QFETCH(QString, payee);
        QFETCH(QString, org);
        QFETCH(QString, dropKey);
        QFETCH(QString, side);
        const Organisation organisation{org.section(u'|', 0, 0), org.section(u'|', 1)};
        DocumentTable table = Table();
        table.Rows = {Document("a.xml", {{u"ПлательщикСчет"_qs, payer.section(u'|', 0, 0)},
                                         {u"ПлательщикИНН"_qs, payer.section(u'|', 1)},
                                         {u"ПолучательСчет"_qs, payee.section(u'|', 0, 0)},
                                         {u"ПолучательИНН"_qs, payee.section(u'|', 1)},
                                         {u"ПлательщикБИК"_qs, u""_qs},
                                         {u"ПлательщикКорсчет"_qs, u""_qs},
                                         {u"ПолучательБИК"_qs, u""_qs}})};
        const int dropped = int(Keys.indexOf(dropKey));
        if (dropped >= 0) table.Columns[size_t(dropped)] = {u"x"_qs, u"Другое;x"_qs};
        const OrganisationSide sides(table.Columns, organisation);
        const DocumentRow& row = table.Rows.front();
        const bool isPayer = side == u"payer" || side == u"both";
        const bool isPayee = side == u"payee" || side == u"both";
        QCOMPARE(sides.Known(), side != u"unknown");
        QCOMPARE(sides.IsPayer(row), isPayer);
        QCOMPARE(sides.IsPayee(row), isPayee);
        QCOMPARE(sides.Direction(row), isPayer   ? MoneyDirection::Outgoing
                                       : isPayee ? MoneyDirection::Incoming
                                                 : MoneyDirection::Other);

        const DocumentChecks checks = CheckDocuments(table, false, organisation);
        const CellProblem* problem =
            checks.CellAt(u"/in/a.xml"_qs, int(Keys.indexOf("ПлательщикСчет")));
        QCOMPARE(problem != nullptr, side == u"none");
        if (problem) {
            QCOMPARE(checks.Cells.value(u"/in/a.xml"_qs).size(), std::size_t(1));
            QCOMPARE(problem->Kind, CellProblemKind::NotOrganisation);
            QCOMPARE(problem->Why,
                     u"документ не относится к счету организации "_qs + organisation.Account);
        }
        const DocumentTotals totals = ComputeTotals(table, organisation);
        const auto expected = [&](bool ours) {
            return sides.Known() ? std::optional<qint64>(ours ? 150000 : 0) : std::nullopt;
        };
        QCOMPARE(totals.Incoming, expected(isPayee));
        QCOMPARE(totals.Outgoing, expected(isPayer));
    }

    void kopecksText() {
        QCOMPARE(KopecksText(5, "."), u"0.05"_qs);
        QCOMPARE(KopecksText(-5, ","), u"-0,05"_qs);
        QCOMPARE(KopecksText(123456789, ",", " "), u"1 234 567,89"_qs);
        QCOMPARE(KopecksText(std::numeric_limits<qint64>::min(), "."), u"-92233720368547758.08"_qs);
    }

    // Every failing value of a folder is named with its file, field and value; empty values and
    // valid documents say nothing; duplicates are found across the folder, and said once.
    void reportAcrossAFolder() {
        DocumentTable table = Table();
        table.Rows = {
            Document("a.xml"),
            Document("b.xml", {{u"ПлательщикИНН"_qs, u"7707083894"_qs},
                               {u"ПлательщикКПП"_qs, u""_qs},
                               {u"ПолучательСчет"_qs, u"40817810500001234568"_qs}}),
            // a.xml again: the date written another way, the amount with a comma
            Document("d.xml", {{u"Дата"_qs, u"05.03.2024"_qs}, {u"Сумма"_qs, u"1 500,0"_qs}}),
            Document("f.xml",
                     {{u"Сумма"_qs, u"1500"_qs}, {u"ПлательщикБИК"_qs, u" 044525225 "_qs}}),
            // a tab reaches the statement as it is
            Document("g.xml", {{u"Номер"_qs, u"19"_qs}, {u"ПолучательБИК"_qs, u"044525974\t"_qs}}),
            Document("h.xml", {{u"Номер"_qs, u"20"_qs},
                               {u"Сумма"_qs, u"0.00"_qs},
                               {u"ПлательщикСчет"_qs, u"03100643000000017300"_qs},
                               {u"ПлательщикБИК"_qs, u"004525988"_qs}}),
        };
        const DocumentChecks checks = CheckDocuments(table);
        QCOMPARE(
            Said(table, checks),
            QStringList({
                u"a.xml: повтор"_qs,
                u"b.xml: ПлательщикИНН caption '7707083894': неверное контрольное число ИНН"_qs,
                u"b.xml: ПолучательСчет caption '40817810500001234568': счет не сходится с "
                "БИК 044525974 (ключ)"_qs,
                u"d.xml: повтор"_qs,
                u"f.xml: повтор"_qs,
                u"g.xml: ПолучательБИК caption '044525974': БИК должен состоять из 9 цифр"_qs,
                u"h.xml: ПлательщикКорсчет caption '30101810400000000225': у казначейского "
                "счета корреспондентский счет — единый казначейский счет 40102..."_qs,
                u"h.xml: Сумма caption '0.00': сумма платежа должна быть больше нуля"_qs,
            }));
        QCOMPARE(checks.DuplicatesOf("/in/d.xml"), QStringList({"/in/a.xml", "/in/f.xml"}));
        QVERIFY(checks.CellAt("/in/b.xml", 3));
        QVERIFY(!checks.CellAt("/in/b.xml", 4)); // the empty КПП
        QCOMPARE(checks.CellAt("/in/b.xml", 3)->Kind, CellProblemKind::Requisite);
    }

    // Two documents are one payment when their keys agree.
    void documentKey_data() {
        QTest::addColumn<QString>("first"); // key=value, ";" between: changes to a valid document
        AddColumns<QString, bool>({"second", "same"});
        QTest::newRow("the same") << "" << "" << true;
        QTest::newRow("leading zeros of the number") << "Номер=000055" << "Номер=55" << true;
        QTest::newRow("the date written another way") << "" << "Дата=05.03.2024" << true;
        QTest::newRow("the amount written another way") << "" << "Сумма=1 500,00" << true;
        QTest::newRow("another amount") << "" << "Сумма=1500.01" << false;
        QTest::newRow("another payee account")
            << "" << "ПолучательСчет=40817810500001234568" << false;
        QTest::newRow("two people without an ИНН, own accounts")
            << "ПлательщикИНН=;ПлательщикСчет=40817810500001234567"
            << "ПлательщикИНН=;ПлательщикСчет=40817810838000012345" << false;
        QTest::newRow("ИНН \"0\" is none") << "ПлательщикИНН=0" << "ПлательщикИНН=" << true;
        QTest::newRow("another payer's ИНН") << "" << "ПлательщикИНН=7736050003" << false;
        QTest::newRow("no number: no key") << "Номер=" << "Номер=" << false;
    }
    void documentKey() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        const auto key = [](const QString& changes) {
            QMap<QString, QString> values;
            for (const QString& change : changes.split(u';', Qt::SkipEmptyParts))
                values[change.section(u'=', 0, 0)] = change.section(u'=', 1);
            return DocumentKey(Table().Columns, Document("a.xml", values));
        };
        const QString a = key(first);
        QTEST(!a.isEmpty() && a == key(second), "same");
    }

    // A year of documents is checked on every core: what lies far apart is still found, and
    // reported in table order.
    void largeTableFindsAcrossParts() {
        DocumentTable table = Table();
        for (int i = 0; i < 9000; ++i)
            table.Rows.push_back(
                Document(QString::number(i) + u".xml"_qs, {{u"Номер"_qs, QString::number(i)}}));
        table.Rows[8999] = Document(u"twin.xml"_qs, {{u"Номер"_qs, u"3"_qs}});
        table.Rows[6000] = Document(u"bad.xml"_qs, {{u"ПлательщикИНН"_qs, u"7707083894"_qs}});
        table.Rows[3].Checked = false;
        QCOMPARE(Said(table, CheckDocuments(table)),
                 QStringList({u"3.xml: повтор"_qs,
                              u"bad.xml: ПлательщикИНН caption '7707083894': неверное "
                              "контрольное число ИНН"_qs,
                              u"twin.xml: повтор"_qs}));
        const DocumentChecks written = CheckDocuments(table, true);
        QVERIFY(written.DuplicateGroups.empty() && written.Cells.contains(u"/in/bad.xml"_qs));
    }
};

VYPISKA_TEST_GUILESS_MAIN(TestChecks)
#include "tst_checks.moc"
