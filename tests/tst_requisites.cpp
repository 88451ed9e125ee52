#include "checks/Requisites.h"

#include <QtTest>

class TestRequisites : public QObject {
    Q_OBJECT
private slots:
    // Numbers of real organisations and people, and ones whose weighted sum leaves 10 (the check
    // digit is then 0); changed in one digit they must fail.
    void inn_data() {
        QTest::addColumn<QString>("inn");
        QTest::addColumn<bool>("valid");
        QTest::newRow("organisation") << "7707083893" << true;
        QTest::newRow("organisation, remainder 10 gives 0") << "7720000110" << true;
        QTest::newRow("organisation, remainder 10 taken as 10") << "7720000111" << false;
        QTest::newRow("organisation, last digit changed") << "7707083894" << false;
        QTest::newRow("organisation, inner digit changed") << "7707183893" << false;
        QTest::newRow("person") << "500100732259" << true;
        QTest::newRow("person, first check digit wrong") << "500100732269" << false;
        QTest::newRow("person, second check digit wrong") << "500100732258" << false;
        QTest::newRow("person, remainder 10 gives 0") << "770100001107" << true;
        QTest::newRow("organisation's rule on a person's number") << "770708389300" << false;
        QTest::newRow("three digits") << "123" << false;
        QTest::newRow("eleven digits") << "77070838931" << false;
        QTest::newRow("letters") << "77070838a3" << false;
        QTest::newRow("blank inside") << "7707 83893" << false;
        QTest::newRow("empty") << "" << false;
    }
    void inn() {
        QFETCH(QString, inn);
        QTEST(InnValid(inn), "valid");
    }

    void accountLength_data() {
        QTest::addColumn<QString>("account");
        QTest::addColumn<bool>("valid");
        QTest::newRow("20 digits") << "40702810900000012345" << true;
        QTest::newRow("19 digits") << "4070281090000001234" << false;
        QTest::newRow("21 digits") << "407028109000000123456" << false;
        QTest::newRow("20 with a letter") << "4070281090000001234O" << false;
    }
    void accountLength() {
        QFETCH(QString, account);
        QTEST(AccountLengthValid(account), "valid");
    }
};

QTEST_APPLESS_MAIN(TestRequisites)
#include "tst_requisites.moc"
