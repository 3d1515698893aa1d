#include "chart/pie_chart.h"
#include "controls/widgets/chart_surface_widget.h"
#include "support/test_main.h"
#include "ui/fonts.h"

#include <cmath>

using Sections = QList<std::pair<QString, double>>;
Q_DECLARE_METATYPE(Sections)

// The labels of a pie, drawn on a real surface in the window's font: no two boxes
// overlap, none leaves the chart, a moved label is joined to its slice, and a label
// with room on the rim stays where it always stood.
class TestLabelLayout : public QObject
{
    Q_OBJECT

private:
    struct Drawn {
        PieFigure figure;
        QRect area;
    };

    static Drawn drawPie(const Sections &sections, QSize area = QSize(443, 414))
    {
        ChartSurfaceWidget canvas;
        canvas.resize(area);
        cPieChart chart;
        chart.setCanvas(&canvas);
        canvas.setFontSize(9);
        canvas.setFontName(QStringLiteral("ＭＳ Ｐゴシック"));
        for (const auto &[name, size] : sections)
            chart.Sections()->Add(size, -1, name, name.toUtf8());
        chart.Draw();
        return {canvas.figure(), QRect(QPoint(0, 0), area)};
    }

    static Sections equalSlices(int count, const QString &stem)
    {
        Sections sections;
        for (int i = 0; i < count; ++i)
            sections.append({stem + QString::number(i + 10), 1000.0 + i});
        return sections;
    }

private slots:
    void initTestCase() { installFontSubstitutions(); }

    void labelsNeverCollide_data()
    {
        QTest::addColumn<Sections>("sections");
        QTest::addColumn<QSize>("area");
        const QString longName = QStringLiteral("とても長いフォルダの名前が続いていく-");
        QTest::newRow("2 slices") << Sections{{"A", 1}, {"B", 1}} << QSize(443, 414);
        QTest::newRow("12 slices, long names") << equalSlices(12, longName) << QSize(443, 414);
        QTest::newRow("12 slices, long names, a larger chart") << equalSlices(12, longName) << QSize(1200, 900);
        QTest::newRow("30 slices") << equalSlices(30, QStringLiteral("folder-")) << QSize(443, 414);
        QTest::newRow("30 slices, long names") << equalSlices(30, longName) << QSize(443, 414);
        QTest::newRow("one tiny slice among large ones")
            << Sections{{"large-one", 480}, {"tiny", 31}, {"large-two", 489}} << QSize(443, 414);
        QTest::newRow("one slice with a long name") << Sections{{longName + longName, 1}} << QSize(443, 414);
    }

    void labelsNeverCollide()
    {
        QFETCH(Sections, sections);
        QFETCH(QSize, area);
        const Drawn drawn = drawPie(sections, area);
        const PieFigure &figure = drawn.figure;
        QCOMPARE(figure.slices.size(), size_t(sections.size()));
        for (size_t i = 0; i < figure.slices.size(); ++i) {
            const PieSlice &slice = figure.slices[i];
            // Each has a label, inside the chart, clear of every other.
            QVERIFY2(!slice.labelText.isEmpty(), qPrintable(slice.name));
            QVERIFY2(drawn.area.contains(slice.labelBox), qPrintable(slice.name));
            for (size_t j = i + 1; j < figure.slices.size(); ++j)
                QVERIFY2(!slice.labelBox.intersects(figure.slices[j].labelBox), qPrintable(slice.name + " / " + figure.slices[j].name));
            // A shortened name ends in "…" and begins as the name does.
            if (slice.labelText != slice.name) {
                QVERIFY(slice.labelText.endsWith(QStringLiteral("…")));
                QVERIFY(slice.name.startsWith(slice.labelText.chopped(1)));
            }
            // Its rim point, at the middle of the slice's arc.
            const double middle = (slice.startAngle + slice.endAngle) / 2;
            const QPoint rim(int(std::nearbyint(figure.centre.x() + figure.radiusX * std::cos(middle))),
                             int(std::nearbyint(figure.centre.y() + figure.radiusY * std::sin(middle))));
            const QPoint onRim = figure.isWholeEllipse() ? QPoint(figure.centre.x() + figure.radiusX, figure.centre.y()) : rim;
            // A label still over its rim point needs no leader.
            if (slice.labelBox.contains(onRim)) {
                QVERIFY(slice.labelLeader.isNull());
                continue;
            }
            // Moved off it: a leader from the slice's rim point to the label's frame.
            QVERIFY2(!slice.labelLeader.isNull(), qPrintable(slice.name));
            QVERIFY(std::abs(slice.labelLeader.p1().x() - rim.x()) <= 1 && std::abs(slice.labelLeader.p1().y() - rim.y()) <= 1);
            const QRect frame = slice.labelBox;
            const QPoint end = slice.labelLeader.p2();
            QVERIFY(frame.contains(end));
            QVERIFY(end.x() == frame.left() || end.x() == frame.right() || end.y() == frame.top() || end.y() == frame.bottom()
                    || frame.contains(slice.labelLeader.p1()));
        }
    }

    // Where the rim has room, labels stand where they always stood.
    void roomOnTheRimMovesNothing()
    {
        const PieFigure figure = drawPie({{"A", 1}, {"B", 1}}).figure;
        QCOMPARE(figure.slices[0].labelCentre, QPoint(222, 352));
        QCOMPARE(figure.slices[1].labelCentre, QPoint(220, 62));
        const PieFigure whole = drawPie({{"A", 1}}).figure;
        QCOMPARE(whole.slices[0].labelCentre, QPoint(376, 207));
        QCOMPARE(whole.slices[0].labelText, QStringLiteral("A"));
    }
};

ZK_TEST_MAIN(TestLabelLayout)
#include "tst_label_layout.moc"
