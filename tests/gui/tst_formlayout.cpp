#include "shell/FormLayout.h"

#include <QtTest>
#include "TestMain.h"

using Figures = QList<double>;

class TestFormLayout : public QObject {
    Q_OBJECT
private slots:
    // Laid out for the design client first, then for W x H twips. The figures: W, H, then the
    // list's width and height, grid top and height, logo left, open left, source box width,
    // bottom panel top and save button left.
    void layout_data() {
        QTest::addColumn<Figures>("figures");
        QTest::newRow("design") << Figures{13572, 8028,  13236, 3398.4, 4730.4, 2265.6,
                                           10980, 10368, 8616,  7080,   10344};
        QTest::newRow("wider and taller: 0.6 : 0.4") << Figures{
            15072, 8628, 14736, 3758.4, 5090.4, 2505.6, 12480, 11868, 10116, 7680, 11844};
        // A minimised window: extents that would go negative keep their values; moves still run.
        QTest::newRow("tiny") << Figures{0,     0,     13236, 3398.4, 4730.4, 2265.6,
                                         -2592, -3204, 8616,  -948,   10344};
    }
    void layout() {
        QFETCH(Figures, figures);
        FormRects r = DesignFormRects();
        LayoutForm(r, DesignClientWidth, DesignClientHeight);
        LayoutForm(r, figures[0], figures[1]);
        const Figures got({0, 0, r.List.Width, r.List.Height, r.Grid1.Top, r.Grid1.Height,
                           r.AlphaLogo.Left, r.CommandOpen.Left, r.TxtFileIn.Width, r.PicCont.Top,
                           r.CommandSaveAs.Left});
        for (qsizetype i = 2; i < figures.size(); ++i)
            QVERIFY2(qAbs(got[i] - figures[i]) < 0.01, qPrintable(QString::number(i)));
        QVERIFY(r.Grid1.Width == r.List.Width && r.PicCont.Width == r.List.Width);
        QVERIFY(r.List.Left == 168 && r.PicCont.Left == 168 && r.TxtFileIn.Left == 1668);
        // Back to the design size: the design figures again.
        LayoutForm(r, DesignClientWidth, DesignClientHeight);
        QVERIFY(qAbs(r.List.Height - 3398.4) < 0.01 && qAbs(r.Grid1.Top - 4730.4) < 0.01);
    }

    // Rounded half up, negative positions included.
    void twipsToPixels() {
        QCOMPARE(TwipsToPixels({1500, 0, 15, 0}), QRect(100, 0, 1, 0));
        QCOMPARE(TwipsToPixels({22.5, 0, 3398.4, 0}), QRect(2, 0, 227, 0));
        QCOMPARE(TwipsToPixels({-2592, 0, 0, 0}), QRect(-173, 0, 0, 0));
    }
};

VYPISKA_TEST_APPLESS_MAIN(TestFormLayout)
#include "tst_formlayout.moc"
