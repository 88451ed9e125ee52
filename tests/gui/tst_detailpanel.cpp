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

FindingList Make(FindingKind kind, const QStringList& whys) {
    FindingList out;
    for (const QString& why : whys)
        out.push_back({kind, u"a.xml"_s, {}, {}, why, {}});
    return out;
}

} // namespace

class TestDetailPanel : public QObject {
    Q_OBJECT

private slots:
    // The settings' findings of every batch (the window's own, then the settings folder's), the
    // account's, then the reading's; the tab and the status line told how many.
    void mergesFindings() {
        QTemporaryDir dir;
        const INIStorage ini(dir.path());
        DocumentTable table;
        const TextCoder coder(QLocale(QLocale::Russian, QLocale::Russia));
        DocumentListModel model(table, coder);
        DetailPanel panel(model, ini);
        int told = -1;
        connect(&panel, &DetailPanel::FindingCountChanged, &panel, [&](int n) { told = n; });
        panel.AddSettingsFindings(Make(FindingKind::Settings, {"s1", "s2"}));
        panel.AddSettingsFindings(Make(FindingKind::Settings, {"s3"}));
        panel.SetReadingFindings(Make(FindingKind::Requisite, {"r1", "r2"}));
        QStringList shown;
        for (const Finding& f : panel.Problems()->Findings())
            shown << (f.Kind == FindingKind::OrganisationAccount ? u"ACC"_s : f.Why);
        QCOMPARE(shown, QStringList({"s1", "s2", "s3", "ACC", "r1", "r2"}));
        QCOMPARE(told, 6);
        QCOMPARE(panel.tabText(panel.indexOf(panel.Problems())), u"Замечания (6)"_s);
    }
};

VYPISKA_TEST_MAIN(TestDetailPanel)
#include "tst_detailpanel.moc"
