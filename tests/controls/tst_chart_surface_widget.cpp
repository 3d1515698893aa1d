#include "controls/widgets/chart_surface_widget.h"
#include "support/test_main.h"

#include <QPalette>

#include <cmath>
#include <numbers>

// The surface's pie as the chart relies on it: a wedge between two rays, and the whole
// ellipse for two points on one pixel.
class TestChartSurfaceWidget : public QObject
{
    Q_OBJECT

private slots:
    void pieWedges_data()
    {
        // The ellipse between the edges 50 and 250 across, 40 and 200 down: centre
        // (150, 120), radii 100 and 80.
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QList<int>>("filledDegrees"); // counterclockwise on screen from the right
        QTest::addColumn<QList<int>>("emptyDegrees");
        QTest::newRow("one pixel: the whole ellipse") << QPoint(250, 120) << QPoint(250, 120) << QList<int>{0, 45, 90, 135, 180, 225, 270, 315} << QList<int>{};
        QTest::newRow("the upper half") << QPoint(250, 120) << QPoint(50, 120) << QList<int>{20, 90, 160} << QList<int>{200, 270, 340};
        QTest::newRow("the lower half") << QPoint(50, 120) << QPoint(250, 120) << QList<int>{200, 270, 340} << QList<int>{20, 90, 160};
        QTest::newRow("rays one pixel apart: a sliver, not the whole") << QPoint(250, 120) << QPoint(250, 119) << QList<int>{} << QList<int>{20, 90, 180, 270, 340};
        QTest::newRow("rays one pixel apart the other way: all but a sliver") << QPoint(250, 119) << QPoint(250, 120) << QList<int>{20, 90, 180, 270, 340} << QList<int>{};
    }

    void pieWedges()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QList<int>, filledDegrees);
        QFETCH(QList<int>, emptyDegrees);
        ChartSurfaceWidget canvas;
        canvas.setFixedSize(300, 240);
        QPalette palette = canvas.palette();
        palette.setColor(QPalette::Base, Qt::white);
        canvas.setPalette(palette);
        canvas.cls();
        canvas.setFillColor(rgb(200, 0, 0));
        canvas.pie(50, 200, 250, 40, from.x(), from.y(), to.x(), to.y());
        // Half-way out along each ray.
        auto colourAt = [&](int degrees) {
            const double angle = degrees * std::numbers::pi / 180;
            return QColor(canvas.image().pixel(qRound(150 + 50 * std::cos(angle)), qRound(120 - 40 * std::sin(angle))));
        };
        for (const int degrees : filledDegrees)
            QVERIFY2(colourAt(degrees) == QColor(200, 0, 0), qPrintable(QString::number(degrees)));
        for (const int degrees : emptyDegrees)
            QVERIFY2(colourAt(degrees) == QColor(Qt::white), qPrintable(QString::number(degrees)));
    }
};

ZK_TEST_MAIN(TestChartSurfaceWidget)
#include "tst_chart_surface_widget.moc"
