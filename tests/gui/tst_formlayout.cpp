#include "shell/FormLayout.h"

#include <QtTest>

class TestFormLayout : public QObject {
    Q_OBJECT
private slots:
    void designFigures();
    void followsTheClientArea_data();
    void followsTheClientArea();
    void tinyClientKeepsSizes();
    void twipsToPixels_data();
    void twipsToPixels();
};

static bool Near(double a, double b) {
    return std::abs(a - b) < 0.01;
}

void TestFormLayout::designFigures() {
    FormRects r = DesignFormRects();
    LayoutForm(r, 13572, 8028);
    QVERIFY(Near(r.List.Width, 13236));
    QVERIFY(Near(r.List.Height, 3398.4));
    QVERIFY(Near(r.AlphaLogo.Left, 10980));
    QVERIFY(Near(r.CommandOpen.Left, 10368));
    QVERIFY(Near(r.TxtFileIn.Width, 8616));
    QVERIFY(Near(r.PicCont.Top, 7080));
    QVERIFY(Near(r.Grid1.Top, 4730.4));
    QVERIFY(Near(r.Grid1.Height, 2265.6));
    QVERIFY(Near(r.Grid1.Width, 13236));
    QVERIFY(Near(r.PicCont.Left, 168));
    QVERIFY(Near(r.CommandSaveAs.Left, 13236 - 2892));
    // The list's left edge is the margin and never moves.
    QVERIFY(Near(r.List.Left, 168));
}

// Grown by dw x dh twips from the design client: what grows, what moves, what stays.
void TestFormLayout::followsTheClientArea_data() {
    QTest::addColumn<double>("dw");
    QTest::addColumn<double>("dh");
    QTest::newRow("wider") << 300.0 << 0.0;
    QTest::newRow("taller") << 0.0 << 1000.0;
    QTest::newRow("both") << 1500.0 << 600.0;
    QTest::newRow("narrower") << -900.0 << 0.0;
}

void TestFormLayout::followsTheClientArea() {
    QFETCH(double, dw);
    QFETCH(double, dh);
    FormRects base = DesignFormRects();
    LayoutForm(base, 13572, 8028);
    FormRects r = base;
    LayoutForm(r, 13572 + dw, 8028 + dh);

    QVERIFY(Near(r.List.Width, base.List.Width + dw));
    QVERIFY(Near(r.Grid1.Width, base.Grid1.Width + dw));
    QVERIFY(Near(r.TxtFileIn.Width, base.TxtFileIn.Width + dw));
    QVERIFY(Near(r.AlphaLogo.Left, base.AlphaLogo.Left + dw));
    QVERIFY(Near(r.CommandOpen.Left, base.CommandOpen.Left + dw));
    QVERIFY(Near(r.CommandSaveAs.Left, base.CommandSaveAs.Left + dw));
    QVERIFY(Near(r.OptionsBtn.Left, base.OptionsBtn.Left));
    QVERIFY(Near(r.LabelW2.Left, base.LabelW2.Left));
    QVERIFY(Near(r.DTPicker1.Left, base.DTPicker1.Left));
    QVERIFY(Near(r.TxtFileIn.Left, base.TxtFileIn.Left));

    // Only the list and the grid take the extra height, 0.6 : 0.4, with half-margin gaps.
    const double m = r.List.Left;
    QVERIFY(Near(r.PicCont.Top, base.PicCont.Top + dh));
    const double a = r.PicCont.Top - m - r.List.Top;
    QVERIFY(Near(r.List.Height, 0.6 * a));
    QVERIFY(Near(r.Grid1.Top - (r.List.Top + r.List.Height), m / 2));
    QVERIFY(Near(r.PicCont.Top - (r.Grid1.Top + r.Grid1.Height), m / 2));
    QVERIFY(Near(r.Grid1.Height, 0.4 * a));
    QVERIFY(Near(r.List.Top, base.List.Top));
}

void TestFormLayout::tinyClientKeepsSizes() {
    // A minimised window: widths and heights that would go negative keep their old values,
    // and the other steps still run.
    FormRects r = DesignFormRects();
    LayoutForm(r, 13572, 8028);
    const FormRects before = r;
    LayoutForm(r, 0, 0);
    QVERIFY(Near(r.List.Width, before.List.Width));
    QVERIFY(Near(r.List.Height, before.List.Height));
    QVERIFY(Near(r.PicCont.Width, before.PicCont.Width));
    QVERIFY(Near(r.Grid1.Height, before.Grid1.Height));
    QVERIFY(Near(r.AlphaLogo.Left, -2592));
    QVERIFY(r.PicCont.Top < 0);

    // Restored: the same figures as before.
    LayoutForm(r, 13572, 8028);
    QVERIFY(Near(r.List.Height, before.List.Height));
    QVERIFY(Near(r.Grid1.Top, before.Grid1.Top));
}

void TestFormLayout::twipsToPixels_data() {
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("pxLeft");
    QTest::addColumn<int>("pxWidth");
    QTest::newRow("exact") << 1500.0 << 15.0 << 100 << 1;
    QTest::newRow("rounds half up") << 22.5 << 3398.4 << 2 << 227;
    QTest::newRow("negative") << -2592.0 << 0.0 << -173 << 0;
}

void TestFormLayout::twipsToPixels() {
    QFETCH(double, left);
    QFETCH(double, width);
    QFETCH(int, pxLeft);
    QFETCH(int, pxWidth);
    const QRect px = TwipsToPixels({left, 0, width, 0});
    QCOMPARE(px.left(), pxLeft);
    QCOMPARE(px.width(), pxWidth);
}

QTEST_APPLESS_MAIN(TestFormLayout)
#include "tst_formlayout.moc"
