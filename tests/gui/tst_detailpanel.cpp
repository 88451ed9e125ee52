// The tabs below the list: which findings the problems list shows, in which order, and the
// count the tab and the status line are told.
#include "app/DetailPanel.h"
#include "app/DocumentListModel.h"
#include "app/ProblemsView.h"
#include "settings/INIStorage.h"
#include "text/TextCoder.h"

#include <QtTest>
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace {

const QString GoodAccount = u"40702810900000000001"_s;

FindingList Make(FindingKind kind, const QStringList& whys) {
    FindingList out;
    for (const QString& why : whys)
        out.push_back({kind, u"a.xml"_s, {}, {}, why, {}});
    return out;
}

// The account's finding as "ACC", any other by its why.
QStringList Shown(const DetailPanel& panel) {
    QStringList out;
    for (const Finding& f : panel.Problems()->Findings())
        out << (f.Kind == FindingKind::OrganisationAccount ? u"ACC"_s : f.Why);
    return out;
}

} // namespace

class TestDetailPanel : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TextCoder m_coder{QLocale(QLocale::Russian, QLocale::Russia)};
    DocumentTable m_table;

private slots:
    void mergesFindings_data() {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QList<QStringList>>("settings"); // batches, each added
        QTest::addColumn<QList<QStringList>>("readings"); // each replaces the last
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("none") << GoodAccount << QList<QStringList>{} << QList<QStringList>{}
                              << QStringList{};
        QTest::newRow("account unset")
            << QString() << QList<QStringList>{} << QList<QStringList>{} << QStringList{"ACC"};
        QTest::newRow("settings, account, reading")
            << QString() << QList<QStringList>{{"s1", "s2"}, {"s3"}}
            << QList<QStringList>{{"r1", "r2"}} << QStringList{"s1", "s2", "s3", "ACC", "r1", "r2"};
        QTest::newRow("a new reading replaces the last")
            << GoodAccount << QList<QStringList>{{"s1"}} << QList<QStringList>{{"r1"}, {"r2"}}
            << QStringList{"s1", "r2"};
        QTest::newRow("a reading started clears")
            << GoodAccount << QList<QStringList>{} << QList<QStringList>{{"r1"}, {}}
            << QStringList{};
    }

    void mergesFindings() {
        QFETCH(QString, account);
        QFETCH(QList<QStringList>, settings);
        QFETCH(QList<QStringList>, readings);
        QFETCH(QStringList, shown);

        INIStorage ini(m_dir.path());
        QVERIFY(ini.WriteVal(Organization, "ACC", account));
        DocumentListModel model(m_table, m_coder);
        DetailPanel panel(model, ini);
        int told = -1;
        connect(&panel, &DetailPanel::FindingCountChanged, &panel, [&](int n) { told = n; });
        for (const QStringList& batch : settings)
            panel.AddSettingsFindings(Make(FindingKind::Settings, batch));
        for (const QStringList& reading : readings)
            panel.SetReadingFindings(Make(FindingKind::Requisite, reading));
        panel.ShowFindings();

        QCOMPARE(Shown(panel), shown);
        QCOMPARE(told, shown.size());
        QCOMPARE(panel.tabText(panel.indexOf(panel.Problems())),
                 u"Замечания (%1)"_s.arg(shown.size()));
    }
};

VYPISKA_TEST_MAIN(TestDetailPanel)
#include "tst_detailpanel.moc"
