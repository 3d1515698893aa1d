#include "chart/pie_chart.h"
#include "controls/widgets/chart_surface_widget.h"
#include "support/recording_surface.h"
#include "support/test_main.h"

#include <QImage>
#include <QPalette>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

struct Slice {
    QString text;
    double size;
    qint32 colour = -1;
};

using Slices = QList<Slice>;

const Colour palette0 = rgb(120, 150, 150);
const Colour palette1 = rgb(120, 200, 150);
const Colour palette2 = rgb(120, 250, 150);

QString fill(Colour colour)
{
    return QStringLiteral("fill %1").arg(colour, 0, 16);
}

// A chart of the given sections drawn on a surface, its lines in a list box.
void draw(cPieChart &chart, DrawingSurface *surface, ListBox *listBox, const Slices &slices)
{
    chart.setCanvas(surface);
    chart.setListBox(listBox);
    for (const Slice &slice : slices)
        chart.Sections()->Add(slice.size, slice.colour, slice.text, slice.text.toUtf8());
    chart.Draw();
}

} // namespace

Q_DECLARE_METATYPE(Slices)

class TestPieChart : public QObject
{
    Q_OBJECT

private slots:
    void centreAndRadiiFollowTheArea_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("ellipse");
        QTest::addColumn<QString>("label");

        // Centre (221, 207), radii (155, 145).
        QTest::newRow("443 x 414") << 443 << 414 << "ellipse 66 352 376 62" << "print 355 201 A";
        // A half-width of 215 gives 150.5, which rounds to 150.
        QTest::newRow("430 x 414") << 430 << 414 << "ellipse 65 352 365 62" << "print 344 201 A";
    }

    void centreAndRadiiFollowTheArea()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, ellipse);
        QFETCH(QString, label);
        RecordingSurface surface(width, height);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, &surface, &list, {{"A", 10}});
        // One section: a full ellipse in the first palette colour, labelled on the
        // right-hand end of the horizontal axis, and no breakdown line.
        QCOMPARE(surface.calls.mid(0, 3), (QStringList{"cls", fill(palette0), ellipse}));
        QVERIFY(surface.callsOf("pie").isEmpty());
        QCOMPARE(surface.callsOf("print"), QStringList{label});
        QVERIFY(list.lines.isEmpty());
    }

    void aSingleSectionKeepsItsOwnColour()
    {
        RecordingSurface surface(443, 414);
        cPieChart chart;
        draw(chart, &surface, nullptr, {{"A", 10, qint32(rgb(1, 2, 3))}});
        QCOMPARE(surface.callsOf("fill").first(), fill(rgb(1, 2, 3)));
    }

    void sixWedgesASliceThenTheLabels()
    {
        RecordingSurface surface(443, 414);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, &surface, &list, {{"A", 50}, {"B", 50}});

        const QStringList expected = {
            "cls",
            fill(palette1),
            "pie 66 352 376 62 66 207 376 206",
            "pie 66 352 375 61 65 206 375 205",
            "pie 66 352 374 60 64 206 374 204",
            "pie 66 352 374 60 64 205 374 204",
            "pie 66 352 374 60 64 204 374 204",
            "pie 66 352 373 59 63 204 373 203",
            fill(palette0),
        };
        QCOMPARE(surface.calls.mid(0, expected.size()), expected);
        QCOMPARE(surface.callsOf("pie").size(), 12);
        // Labels come after every slice: slice 1's middle lies just short of straight
        // down, slice 2's just short of straight up.
        const QStringList labels = surface.calls.mid(surface.calls.indexOf(QRegularExpression("box .*")));
        QCOMPARE(labels, (QStringList{
                             "box 195 340 54 24 80000008", "filledBox 196 341 51 21 80000014", "print 201 346 A",
                             "box 193 50 54 24 80000008", "filledBox 194 51 51 21 80000014", "print 199 56 B",
                         }));
        QCOMPARE(list.lines, (QStringList{"A:50.0%", "B:50.0%"}));
    }

    void labelBoxesAroundTheirPoint_data()
    {
        QTest::addColumn<double>("textWidth");
        QTest::addColumn<QStringList>("calls");
        // A 300 x 200 area puts a single section's label on (255, 100), with room round it.
        QTest::newRow("40 x 12") << 40.0 << QStringList{"box 228 88 54 24 80000008", "filledBox 229 89 51 21 80000014", "print 234 94 A"};
        QTest::newRow("41 x 12: left is x - 21") << 41.0 << QStringList{"box 228 88 55 24 80000008", "filledBox 229 89 52 21 80000014", "print 234 94 A"};
    }

    void labelBoxesAroundTheirPoint()
    {
        QFETCH(double, textWidth);
        QFETCH(QStringList, calls);
        RecordingSurface surface(300, 200);
        surface.textWidthResult = textWidth;
        cPieChart chart;
        draw(chart, &surface, nullptr, {{"A", 1}});
        QCOMPARE(surface.calls.mid(surface.calls.size() - 3), calls);
    }

    void smallSectionsAreFolded()
    {
        RecordingSurface surface(443, 414);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, &surface, &list, {{"A", 50}, {"B", 30}, {"C", 19}, {"D", 1}});

        QCOMPARE(list.lines, (QStringList{"その他 - D", "A:50.0%", "B:30.0%", "C:19.0%", "その他:1.0%"}));
        const std::shared_ptr<cSections> sections = chart.Sections();
        QCOMPARE(sections->Count(), 4);
        const std::shared_ptr<cSection> other = sections->Item(4);
        QCOMPARE(other->Text, QStringLiteral("その他"));
        QCOMPARE(other->Size, 1.0);
        QCOMPARE(other->Color, qint32(rgb(40, 120, 40)));
        QCOMPARE(other->Key, QByteArray(""));
        // Four slices: palette 1, 0, 1, then the folded slice's own colour.
        QCOMPARE(surface.callsOf("fill"), (QStringList{fill(palette1), fill(palette0), fill(palette1), fill(rgb(40, 120, 40))}));
    }

    void theThresholdIsThreePercent_data()
    {
        QTest::addColumn<double>("small");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("exactly 3 %") << 3.0 << QStringList{"A:97.0%", "B:3.0%"};
        QTest::newRow("just below") << 2.999 << QStringList{"その他 - B", "A:97.0%", "その他:3.0%"};
    }

    void theThresholdIsThreePercent()
    {
        QFETCH(double, small);
        QFETCH(QStringList, lines);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, nullptr, &list, {{"A", 100 - small}, {"B", small}});
        QCOMPARE(list.lines, lines);
    }

    void foldedSectionsAreListedLastFirst()
    {
        RecordingListBox list;
        cPieChart chart;
        draw(chart, nullptr, &list, {{"x", 1}, {"A", 90}, {"y", 1}, {"z", 2}, {"B", 6}});
        QCOMPARE(list.lines, (QStringList{"その他 - z", "その他 - y", "その他 - x", "A:90.0%", "B:6.0%", "その他:4.0%"}));
    }

    void everySectionFolded()
    {
        Slices slices;
        for (int i = 0; i < 40; ++i)
            slices << Slice{QStringLiteral("s%1").arg(i), 1};
        RecordingSurface surface(443, 414);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, &surface, &list, slices);
        QCOMPARE(list.lines.size(), 40);
        QCOMPARE(list.lines.first(), QStringLiteral("その他 - s39"));
        QCOMPARE(surface.callsOf("ellipse"), QStringList{"ellipse 66 352 376 62"});
        QCOMPARE(surface.callsOf("fill"), QStringList{fill(rgb(40, 120, 40))});
        QCOMPARE(surface.callsOf("print"), QStringList{"print 355 201 その他"});
    }

    void palettesByPeriod_data()
    {
        QTest::addColumn<int>("slices");
        QTest::addColumn<QList<Colour>>("colours");
        QTest::newRow("two") << 2 << QList<Colour>{palette1, palette0};
        QTest::newRow("three") << 3 << QList<Colour>{palette1, palette2, palette0};
        QTest::newRow("four") << 4 << QList<Colour>{palette1, palette0, palette1, palette0};
        QTest::newRow("seven") << 7 << QList<Colour>{palette1, palette2, palette0, palette1, palette2, palette0, palette1};
    }

    void palettesByPeriod()
    {
        QFETCH(int, slices);
        QFETCH(QList<Colour>, colours);
        Slices equal;
        for (int i = 0; i < slices; ++i)
            equal << Slice{QString::number(i), 1};
        RecordingSurface surface(443, 414);
        cPieChart chart;
        draw(chart, &surface, nullptr, equal);
        QStringList expected;
        for (Colour colour : colours)
            expected << fill(colour);
        QCOMPARE(surface.callsOf("fill"), expected);
    }

    void nothingToDraw()
    {
        RecordingSurface surface(443, 414);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, &surface, &list, {});
        QCOMPARE(surface.calls, QStringList{"cls"});
        QVERIFY(list.lines.isEmpty());

        // Sections never set nor read: the same.
        cPieChart untouched;
        untouched.setCanvas(&surface);
        untouched.Draw();
        QCOMPARE(surface.calls, (QStringList{"cls", "cls"}));
    }

    void aTotalOfZeroFoldsEverything()
    {
        RecordingSurface surface(443, 414);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, &surface, &list, {{"A", 0}, {"B", 0}});
        QCOMPARE(list.lines, (QStringList{"その他 - B", "その他 - A"}));
        QCOMPARE(surface.callsOf("ellipse").size(), 1);
    }

    void withoutACanvasTheListIsStillWritten()
    {
        RecordingListBox list;
        cPieChart chart;
        draw(chart, nullptr, &list, {{"A", 50}, {"B", 30}, {"C", 19}, {"D", 1}});
        QCOMPARE(list.lines.size(), 5);
        QCOMPARE(chart.Sections()->Count(), 4);
    }

    void coordinatesBeyondSixteenBitsSkipTheirSteps()
    {
        // A centre of 40000 does not fit: it stays 0, and so do the radii; the pie is
        // drawn on what is left, and nothing is reported.
        RecordingSurface surface(80000, 414);
        RecordingListBox list;
        cPieChart chart;
        draw(chart, &surface, &list, {{"A", 50}, {"B", 50}});
        QCOMPARE(surface.callsOf("pie").first(), QStringLiteral("pie 0 352 0 62 0 207 0 206"));
        QCOMPARE(list.lines, (QStringList{"A:50.0%", "B:50.0%"}));
    }

    void paintedSlices_data()
    {
        QTest::addColumn<Slices>("slices");
        QTest::addColumn<QPoint>("offset"); // from the centre, y downward
        QTest::addColumn<QColor>("colour");

        // A 25 %, B 73 %, C 2 % folded: three slices of palette 1, palette 2 and the
        // folded slice's own colour, clockwise from just above the right-hand axis.
        const Slices three = {{"A", 25}, {"B", 73}, {"C", 2}};
        QTest::newRow("A: lower right") << three << QPoint(60, 40) << QColor(120, 200, 150);
        QTest::newRow("A: just below the axis") << three << QPoint(100, 10) << QColor(120, 200, 150);
        QTest::newRow("B: lower left") << three << QPoint(-60, 40) << QColor(120, 250, 150);
        QTest::newRow("B: upper left") << three << QPoint(-60, -40) << QColor(120, 250, 150);
        QTest::newRow("B: upper right") << three << QPoint(40, -60) << QColor(120, 250, 150);
        QTest::newRow("folded: just above the axis") << three << QPoint(100, -7) << QColor(40, 120, 40);
        QTest::newRow("one section: full ellipse") << Slices{{"A", 5}} << QPoint(-100, -60) << QColor(120, 150, 150);
        QTest::newRow("all folded: full ellipse") << Slices{{"A", 1}, {"B", 1}, {"C", 1}, {"D", 1}, {"E", 1}, {"F", 1}, {"G", 1}, {"H", 1}, {"I", 1}, {"J", 1}, {"K", 1}, {"L", 1}, {"M", 1}, {"N", 1}, {"O", 1}, {"P", 1}, {"Q", 1}, {"R", 1}, {"S", 1}, {"T", 1}, {"U", 1}, {"V", 1}, {"W", 1}, {"X", 1}, {"Y", 1}, {"Z", 1}, {"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}, {"e", 1}, {"f", 1}, {"g", 1}, {"h", 1}}
            << QPoint(-100, 60) << QColor(40, 120, 40);
        QTest::newRow("outside the pie: untouched") << three << QPoint(200, 190) << QColor(Qt::white);
    }

    void paintedSlices()
    {
        QFETCH(Slices, slices);
        QFETCH(QPoint, offset);
        QFETCH(QColor, colour);
        ChartSurfaceWidget canvas;
        canvas.setFixedSize(443, 414);
        QPalette palette = canvas.palette();
        palette.setColor(QPalette::Base, Qt::white);
        canvas.setPalette(palette);
        cPieChart chart;
        draw(chart, &canvas, nullptr, slices);
        const QPoint point = QPoint(221, 207) + offset;
        QCOMPARE(QColor(canvas.image().pixel(point)), colour);
        // The figure the canvas was told finds the slice painted there.
        const int slice = canvas.figure().sliceAt(QPointF(point) + QPointF(0.5, 0.5));
        if (colour == QColor(Qt::white))
            QCOMPARE(slice, -1);
        else
            QCOMPARE(canvas.toQColor(canvas.figure().slices.at(size_t(slice)).colour), colour);
    }

    void everySliceShowsAtEverySize_data()
    {
        QTest::addColumn<Slices>("slices");
        const double megabyte = 1024 * 1024;
        // In the folder graph's order, the smallest first.
        QTest::newRow("the reported folder: 3 bytes of its own beside 6.7 MB and 26.1 MB")
            << Slices{{"単一フォルダ", 3}, {"b", std::round(6.7 * megabyte)}, {"a", std::round(26.1 * megabyte)}};
        QTest::newRow("a tiny last slice") << Slices{{"A", 50}, {"B", 50}, {"c", 1e-6}};
        QTest::newRow("a small first slice") << Slices{{"A", 3}, {"B", 48.5}, {"C", 48.5}};
        QTest::newRow("several tiny sections folded") << Slices{{"a", 1e-6}, {"b", 2e-6}, {"c", 3e-6}, {"D", 40}, {"E", 60}};
        QTest::newRow("several small slices before a large one") << Slices{{"A", 3}, {"B", 3}, {"C", 3}, {"D", 3}, {"E", 88}};
        QTest::newRow("one slice of 100 %") << Slices{{"A", 5}};
        QTest::newRow("one slice of 100 % beside an empty one") << Slices{{"a", 0}, {"B", 5}};
        QTest::newRow("99.99 % beside 0.01 %") << Slices{{"a", 0.01}, {"B", 99.99}};
    }

    void everySliceShowsAtEverySize()
    {
        // The rays of a thin slice, rounded to pixels, meet or pass each other at some
        // sizes and not at others: the wedges are sampled at many.
        QFETCH(Slices, slices);
        for (int width = 120; width <= 460; width += 7) {
            const int height = width * 9 / 10;
            ChartSurfaceWidget canvas;
            canvas.setFixedSize(width, height);
            QPalette palette = canvas.palette();
            palette.setColor(QPalette::Base, Qt::white);
            canvas.setPalette(palette);
            cPieChart chart;
            draw(chart, &canvas, nullptr, slices);
            const PieFigure &figure = canvas.figure();
            QVERIFY(!figure.slices.empty());
            int sampled = 0;
            for (size_t i = 0; i < figure.slices.size(); ++i) {
                const PieSlice &slice = figure.slices[i];
                const QColor colour = canvas.toQColor(slice.colour);
                for (const double radius : {0.5, 0.85}) {
                    // Clear by seven pixels of the edges, which the six wedges draw thick.
                    const double margin = 7.0 / (radius * std::min(figure.radiusX, figure.radiusY));
                    const double first = slice.startAngle + margin;
                    const double last = (figure.isWholeEllipse() ? slice.startAngle + 6.28318530717959 : slice.endAngle) - margin;
                    for (double angle = first; angle <= last; angle += std::min(0.2, (last - first) / 2 + 0.001)) {
                        const QPoint point = figure.centre + QPoint(qRound(radius * figure.radiusX * std::cos(angle)), qRound(radius * figure.radiusY * std::sin(angle)));
                        if (std::any_of(figure.slices.begin(), figure.slices.end(), [&](const PieSlice &any) { return any.labelBox.adjusted(-2, -2, 2, 2).contains(point); }))
                            continue;
                        ++sampled;
                        const QString where = QStringLiteral("%1 x %2, slice %3 at %4 rad, %5 of the radius").arg(width).arg(height).arg(slice.name).arg(angle).arg(radius);
                        QVERIFY2(QColor(canvas.image().pixel(point)) == colour, qPrintable(where));
                    }
                }
            }
            QVERIFY(sampled > 0);
        }
    }

    void theSurfaceIsToldTheFigureItWasDrawnFrom()
    {
        RecordingSurface surface(443, 414);
        cPieChart chart;
        chart.setSizeText([](double size) { return QStringLiteral("%1 B").arg(size); });
        draw(chart, &surface, nullptr, {{"A", 50}, {"B", 30}, {"C", 19}, {"D", 1}});
        QCOMPARE(surface.figuresTold, 1);
        const PieFigure &figure = surface.figure;
        QCOMPARE(figure.centre, QPoint(221, 207));
        QCOMPARE(figure.radiusX, 155);
        QCOMPARE(figure.radiusY, 145);
        QStringList names;
        QStringList sizes;
        QList<double> shares;
        QList<Colour> colours;
        for (const PieSlice &slice : figure.slices) {
            names << slice.name;
            sizes << slice.sizeText;
            shares << slice.share;
            colours << slice.colour;
        }
        QCOMPARE(names, (QStringList{"A", "B", "C", "その他"}));
        QCOMPARE(sizes, (QStringList{"50 B", "30 B", "19 B", "1 B"}));
        QCOMPARE(shares, (QList<double>{0.5, 0.3, 0.19, 0.01}));
        QCOMPARE(colours, (QList<Colour>{palette1, palette0, palette1, cPieChart::otherColour}));
        QCOMPARE(figure.slices.front().startAngle, -0.01);
        QCOMPARE(figure.slices.back().endAngle, 6.28318530717959);
        // The first wedge of each slice goes from its rim end to its rim start, and each
        // label is centred on its label point.
        const QStringList pies = surface.callsOf("pie");
        const QStringList prints = surface.callsOf("print");
        for (size_t i = 0; i < figure.slices.size(); ++i) {
            const PieSlice &slice = figure.slices[i];
            QCOMPARE(pies[int(i) * 6], QStringLiteral("pie 66 352 376 62 %1 %2 %3 %4").arg(slice.rimEnd.x()).arg(slice.rimEnd.y()).arg(slice.rimStart.x()).arg(slice.rimStart.y()));
            QCOMPARE(prints[int(i)], QStringLiteral("print %1 %2 %3").arg(slice.labelCentre.x() - 21).arg(slice.labelCentre.y() - 6).arg(slice.name));
        }
    }

    void nothingDrawnIsToldToo()
    {
        RecordingSurface surface(443, 414);
        cPieChart chart;
        chart.Draw();
        QCOMPARE(surface.figuresTold, 0);
        chart.setCanvas(&surface);
        chart.Draw();
        QCOMPARE(surface.figuresTold, 1);
        QVERIFY(surface.figure.slices.empty());
    }

    void paintedLabelsCoverTheSlices()
    {
        ChartSurfaceWidget canvas;
        canvas.setFixedSize(443, 414);
        cPieChart chart;
        draw(chart, &canvas, nullptr, {{"A", 50}, {"B", 50}});
        // Slice 1's label is centred on (222, 352): a frame in the window text colour,
        // a box in the 3-D highlight colour, and between the box and the frame's right
        // edge a band of the last slice's colour.
        const int w = qRound(canvas.textWidth(QStringLiteral("A")) + 2);
        const int h = qRound(canvas.textHeight(QStringLiteral("A")));
        const int left = 222 - w / 2;
        const int top = 352 - h / 2;
        const QImage image = canvas.image();
        QCOMPARE(QColor(image.pixel(left - 4, top - 4)), canvas.palette().color(QPalette::Light));
        QCOMPARE(QColor(image.pixel(left - 6, top)), canvas.palette().color(QPalette::WindowText));
        QCOMPARE(QColor(image.pixel(left + w + 5, top)), QColor(120, 150, 150));
    }
};

ZK_TEST_MAIN(TestPieChart)
#include "tst_pie_chart.moc"
