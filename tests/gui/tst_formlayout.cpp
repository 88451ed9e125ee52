#include "shell/FormLayout.h"

#include <QtTest>

using Figures = QList<double>;

class TestFormLayout : public QObject {
    Q_OBJECT
private slots:
    // Laid out for the design client first, then for W x H twips.
    void layout_data() {
        QTest::addColumn<double>("w");
        QTest::addColumn<double>("h");
        // List width, list height, grid top, grid height, logo left, open left, source box width,
        // bottom panel top, save button left.
        QTest::addColumn<Figures>("figures");
        QTest::newRow("design") << 13572.0 << 8028.0
                                << Figures{13236, 3398.4, 4730.4, 2265.6, 10980,
                                           10368, 8616,   7080,   10344};
        QTest::newRow("wider and taller: 0.6 : 0.4")
            << 15072.0 << 8628.0
            << Figures{14736, 3758.4, 5090.4, 2505.6, 12480, 11868, 10116, 7680, 11844};
        QTest::newRow("narrower") << 12672.0 << 8028.0
                                  << Figures{12336, 3398.4, 4730.4, 2265.6, 10080,
                                             9468,  7716,   7080,   9444};
        // A minimised window: extents that would go negative keep their values; moves still run.
        QTest::newRow("tiny") << 0.0 << 0.0 << Figures{13236, 3398.4, 4730.4, 2265.6, -2592,
                                                       -3204, 8616,   -948,   10344};
    }
    void layout() {
        QFETCH(double, w);
        QFETCH(double, h);
        QFETCH(Figures, figures);
        FormRects r = DesignFormRects();
        LayoutForm(r, DesignClientWidth, DesignClientHeight);
        LayoutForm(r, w, h);
        const Figures got{r.List.Width,      r.List.Height,    r.Grid1.Top,
                          r.Grid1.Height,    r.AlphaLogo.Left, r.CommandOpen.Left,
                          r.TxtFileIn.Width, r.PicCont.Top,    r.CommandSaveAs.Left};
        for (qsizetype i = 0; i < figures.size(); ++i)
            QVERIFY2(qAbs(got[i] - figures[i]) < 0.01, qPrintable(QString::number(i)));
        QCOMPARE(r.Grid1.Width, r.List.Width);
        QCOMPARE(r.PicCont.Width, r.List.Width);
        QVERIFY(r.List.Left == 168 && r.PicCont.Left == 168 && r.TxtFileIn.Left == 1668);
        // Back to the design size: the design figures again.
        LayoutForm(r, DesignClientWidth, DesignClientHeight);
        QVERIFY(qAbs(r.List.Height - 3398.4) < 0.01 && qAbs(r.Grid1.Top - 4730.4) < 0.01);
    }

    void twipsToPixels_data() {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<QRect>("px");
        QTest::newRow("exact") << 1500.0 << 15.0 << QRect(100, 0, 1, 0);
        QTest::newRow("rounds half up") << 22.5 << 3398.4 << QRect(2, 0, 227, 0);
        QTest::newRow("negative") << -2592.0 << 0.0 << QRect(-173, 0, 0, 0);
    }
    void twipsToPixels() {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(QRect, px);
        QCOMPARE(TwipsToPixels({left, 0, width, 0}), px);
    }
};

QTEST_APPLESS_MAIN(TestFormLayout)
#include "tst_formlayout.moc"
