#include "chart/pie_chart.h"
#include "controls/widgets/chart_surface_widget.h"
#include "platform/posix_folder_enumerator.h"
#include "support/test_main.h"
#include "ui/background_pictures.h"
#include "ui/fonts.h"
#include "ui/main_window.h"

#include <cmath>

// The chart and the backgrounds on a screen of several device pixels per logical pixel:
// run with QT_SCALE_FACTOR set (2 and 1.5).
class TestHighDensity : public QObject
{
    Q_OBJECT

private:
    qreal m_ratio = 1;

    QPoint device(QPointF logical) const { return QPoint(int(std::floor(logical.x() * m_ratio)), int(std::floor(logical.y() * m_ratio))); }

    // The pie of A 25 %, B 73 % and C 2 % (folded) on a white 443 × 414 canvas.
    void drawThreeSlices(ChartSurfaceWidget &canvas) const
    {
        canvas.setFixedSize(443, 414);
        QPalette palette = canvas.palette();
        palette.setColor(QPalette::Base, Qt::white);
        canvas.setPalette(palette);
        canvas.cls();
        cPieChart chart;
        chart.setCanvas(&canvas);
        for (const auto &[text, size] : {std::pair{"A", 25}, std::pair{"B", 73}, std::pair{"C", 2}})
            chart.Sections()->Add(size, -1, QString::fromLatin1(text), text);
        chart.Draw();
    }

    // The lengths of the runs of device rows in the line colour, top to bottom, down
    // one column.
    static QList<int> lineRuns(const QImage &image, int column)
    {
        QList<int> runs;
        int run = 0;
        for (int y = 0; y <= image.height(); ++y) {
            if (y < image.height() && image.pixel(column, y) == backgroundLineColor.rgb()) {
                ++run;
            } else if (run > 0) {
                runs << run;
                run = 0;
            }
        }
        return runs;
    }

private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        m_ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
        QVERIFY2(m_ratio > 1, "run with QT_SCALE_FACTOR set");
    }

    void theChartIsDrawnAtTheDevicePixelRatio()
    {
        ChartSurfaceWidget canvas;
        drawThreeSlices(canvas);
        QCOMPARE(canvas.devicePixelRatioF(), m_ratio);
        const QImage image = canvas.image();
        QCOMPARE(image.devicePixelRatio(), m_ratio);
        QCOMPARE(image.size(), QSize(443, 414) * m_ratio);
        // The geometry is that of one logical pixel a pixel.
        QCOMPARE(canvas.figure().centre, QPoint(221, 207));
        QCOMPARE(canvas.figure().radiusX, 155);
        QCOMPARE(canvas.figure().radiusY, 145);

        const QList<std::pair<QPoint, QColor>> samples = {
            {QPoint(60, 40), QColor(120, 200, 150)},  {QPoint(100, 10), QColor(120, 200, 150)},
            {QPoint(-60, 40), QColor(120, 250, 150)}, {QPoint(-60, -40), QColor(120, 250, 150)},
            {QPoint(40, -60), QColor(120, 250, 150)}, {QPoint(100, -7), QColor(40, 120, 40)},
            {QPoint(200, 190), QColor(Qt::white)},
        };
        for (const auto &[offset, colour] : samples) {
            const QPointF inside = QPointF(221, 207) + offset + QPointF(0.5, 0.5);
            QCOMPARE(QColor(image.pixel(device(inside))), colour);
        }
    }

    void aLineIsAsWideAsOneLogicalPixel()
    {
        ChartSurfaceWidget canvas;
        drawThreeSlices(canvas);
        const QImage image = canvas.image();
        const QRgb outline = canvas.palette().color(QPalette::WindowText).rgb();
        // Across the pie's left rim, where the six wedges of every slice share their
        // edge, along the middle device row of a logical row near the centre line.
        const int row = device(QPointF(0, 200.5)).y();
        int width = 0;
        for (int x = device(QPointF(56, 0)).x(); x < device(QPointF(76, 0)).x(); ++x)
            width += image.pixel(x, row) == outline ? 1 : 0;
        QVERIFY2(width >= 1 && width <= 2, qPrintable(QString::number(width)));
        if (m_ratio == 2)
            QCOMPARE(width, 2);
    }

    void backgroundStripesAreWholeDevicePixels()
    {
        for (const auto &[picture, size] : {std::pair{chartBackground(m_ratio), QSize(624, 587)}, std::pair{windowBackground(m_ratio), QSize(885, 678)}}) {
            QCOMPARE(picture.devicePixelRatio(), m_ratio);
            QCOMPARE(picture.size(), QSize(int(std::ceil(size.width() * m_ratio)), int(std::ceil(size.height() * m_ratio))));
            // Right of the window's top-left block: a line every third logical row.
            const QList<int> runs = lineRuns(picture, device(QPointF(300.5, 0)).x());
            QCOMPARE(runs.size(), (size.height() + 2) / 3);
            const auto [thinnest, thickest] = std::minmax_element(runs.begin(), runs.end());
            QVERIFY(*thickest - *thinnest <= 1);
            QVERIFY(*thinnest >= int(std::floor(m_ratio)));
            QVERIFY(*thickest <= int(std::ceil(m_ratio)));
        }
    }

    void theChartsStripesContinueTheWindows()
    {
        PosixFolderEnumerator fileSystem;
        fMain window(fileSystem);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage shot = window.grab().toImage();
        QCOMPARE(shot.devicePixelRatio(), m_ratio);
        // Between the tree and the chart, and inside the chart, from the chart's top row on.
        const int gap = device(QPointF(326.5, 0)).x();
        const int chart = device(QPointF(400.5, 0)).x();
        for (int y = device(QPointF(0, 42)).y(); y < device(QPointF(0, 80)).y(); ++y)
            QCOMPARE(shot.pixel(chart, y), shot.pixel(gap, y));
    }
};

ZK_TEST_MAIN(TestHighDensity)
#include "tst_high_density.moc"
