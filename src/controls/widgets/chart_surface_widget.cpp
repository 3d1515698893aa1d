#include "controls/widgets/chart_surface_widget.h"

#include "controls/widgets/chart_surface_accessible.h"
#include "platform/locale_formats.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The box between two pairs of edges in either order, right and bottom edges excluded.
QRect boxBetween(int left, int top, int right, int bottom)
{
    const int x0 = std::min(left, right);
    const int y0 = std::min(top, bottom);
    return QRect(x0, y0, std::abs(right - left) - 1, std::abs(bottom - top) - 1);
}

double degrees(double radians)
{
    return radians * 180 / std::numbers::pi;
}

// The angle, in degrees counterclockwise on screen, of the ellipse point whose ray from
// the centre goes through (x, y): the ellipse's own parameter, as Qt draws arcs.
double parameterAngle(const QRectF &box, int x, int y)
{
    const QPointF centre = box.center();
    const double across = (x - centre.x()) / std::max(box.width(), 1.0);
    const double up = (centre.y() - y) / std::max(box.height(), 1.0);
    return degrees(std::atan2(up, across));
}

// The band along the edge in which the focus mark shows.
constexpr int focusMarkWidth = 2;

} // namespace

QPainterPath sliceOutline(const PieFigure &figure, int slice)
{
    QPainterPath path;
    if (slice < 0 || size_t(slice) >= figure.slices.size())
        return path;
    const QRectF box = figure.ellipseBox();
    if (figure.isWholeEllipse()) {
        path.addEllipse(box);
        return path;
    }
    // Qt turns counterclockwise; the slices run clockwise.
    const PieSlice &shown = figure.slices[size_t(slice)];
    path.moveTo(figure.centre);
    path.arcTo(box, -degrees(shown.startAngle), -degrees(shown.endAngle - shown.startAngle));
    path.closeSubpath();
    return path;
}

ChartSurfaceWidget::ChartSurfaceWidget(QWidget *parent)
    : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(ChartSurfaceAccessible::create), true);
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartSurfaceWidget::setBackground(Picture background)
{
    m_backgroundPicture = std::move(background);
    m_background = QImage();
    cls();
}

void ChartSurfaceWidget::cls()
{
    clearImage();
    replaceFigure({});
    update();
}

void ChartSurfaceWidget::setFigure(const PieFigure &figure)
{
    replaceFigure(figure);
    update();
}

void ChartSurfaceWidget::clearImage()
{
    const qreal ratio = devicePixelRatioF();
    m_image = QImage(size().expandedTo(QSize(1, 1)) * ratio, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_image.fill(palette().color(QPalette::Base));
    if (!m_backgroundPicture)
        return;
    if (m_background.isNull() || m_background.devicePixelRatio() != ratio
        || !QRectF(QPointF(), m_background.deviceIndependentSize()).contains(QRectF(rect())))
        m_background = m_backgroundPicture(ratio, size());
    QPainter painter(&m_image);
    painter.drawImage(0, 0, m_background);
}

void ChartSurfaceWidget::replaceFigure(const PieFigure &figure)
{
    m_figure = figure;
    m_currentSlice = -1;
    QAccessibleEvent reordered(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reordered);
    QAccessibleEvent described(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void ChartSurfaceWidget::setFontSize(double points)
{
    QFont changed = font();
    changed.setPointSizeF(points);
    setFont(changed);
}

void ChartSurfaceWidget::setFontName(const QString &name)
{
    QFont changed = font();
    changed.setFamily(name);
    setFont(changed);
}

double ChartSurfaceWidget::textWidth(const QString &text) const
{
    return QFontMetricsF(font(), &m_image).horizontalAdvance(text);
}

double ChartSurfaceWidget::textHeight(const QString &) const
{
    return QFontMetricsF(font(), &m_image).height();
}

void ChartSurfaceWidget::box(int x, int y, int dx, int dy, Colour colour)
{
    drawShape([&](QPainter &painter) {
        painter.setPen(toQColor(colour));
        painter.setBrush(toQColor(m_fillColour));
        painter.drawRect(QRect(QPoint(x, y), QPoint(x + dx, y + dy)).normalized().adjusted(0, 0, -1, -1));
    });
}

void ChartSurfaceWidget::line(int x1, int y1, int x2, int y2, Colour colour)
{
    drawShape([&](QPainter &painter) {
        painter.setPen(toQColor(colour));
        painter.drawLine(x1, y1, x2, y2);
    });
}

void ChartSurfaceWidget::filledBox(int x, int y, int dx, int dy, Colour colour)
{
    drawShape([&](QPainter &painter) { painter.fillRect(QRect(QPoint(x, y), QPoint(x + dx, y + dy)).normalized(), toQColor(colour)); });
}

void ChartSurfaceWidget::print(int x, int y, const QString &text)
{
    drawShape([&](QPainter &painter) {
        painter.setPen(toQColor(m_foregroundColour));
        painter.setFont(font());
        painter.drawText(QPointF(x, y + QFontMetricsF(font(), &m_image).ascent()), text);
    });
}

void ChartSurfaceWidget::ellipse(int left, int top, int right, int bottom)
{
    drawShape([&](QPainter &painter) { painter.drawEllipse(boxBetween(left, top, right, bottom)); });
}

void ChartSurfaceWidget::pie(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    const QRect box = boxBetween(left, top, right, bottom);
    if (x1 == x2 && y1 == y2) {
        ellipse(left, top, right, bottom);
        return;
    }
    const QRectF shape(box.x(), box.y(), box.width() + 1, box.height() + 1);
    const double start = parameterAngle(shape, x1, y1);
    double span = parameterAngle(shape, x2, y2) - start;
    if (span <= 0)
        span += 360;
    drawShape([&](QPainter &painter) { painter.drawPie(box, int(std::lround(start * 16)), int(std::lround(span * 16))); });
}

QColor ChartSurfaceWidget::toQColor(Colour colour) const
{
    if (colour & 0x80000000) {
        switch (colour & 0xff) {
        case windowTextColour & 0xff:
            return palette().color(QPalette::WindowText);
        case highlight3DColour & 0xff:
            return palette().color(QPalette::Light);
        default:
            return palette().color(QPalette::Window);
        }
    }
    return QColor(int(colour & 0xff), int(colour >> 8 & 0xff), int(colour >> 16 & 0xff));
}

bool ChartSurfaceWidget::event(QEvent *event)
{
    // On a screen of another pixel density the image is made anew at its ratio.
    if (event->type() == QEvent::ScreenChangeInternal)
        remakeImage();
    if (event->type() == QEvent::ToolTip) {
        showToolTip(*static_cast<QHelpEvent *>(event));
        return true;
    }
    return QWidget::event(event);
}

void ChartSurfaceWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
    if (!hasFocus())
        return;
    if (m_currentSlice >= 0) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(sliceOutline(m_figure, m_currentSlice));
        painter.restore();
    }
    // Some styles (Fusion) tint the whole inside of a focus frame: only its edge is
    // painted, so that the chart keeps its colours.
    QStyleOptionFocusRect focusMark;
    focusMark.initFrom(this);
    focusMark.backgroundColor = palette().color(QPalette::Base);
    painter.setClipRegion(QRegion(rect()) - QRegion(rect().adjusted(focusMarkWidth, focusMarkWidth, -focusMarkWidth, -focusMarkWidth)));
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focusMark, &painter, this);
}

void ChartSurfaceWidget::resizeEvent(QResizeEvent *)
{
    remakeImage();
}

void ChartSurfaceWidget::remakeImage()
{
    // Resize events can arrive late, when the widget is first shown or grabbed: what
    // was drawn before stays, and so does what it shows.
    if (m_image.deviceIndependentSize() == QSizeF(size()) && m_image.devicePixelRatio() == devicePixelRatioF())
        return;
    const QImage drawn = m_image;
    clearImage();
    QPainter painter(&m_image);
    painter.drawImage(0, 0, drawn);
    painter.end();
    update();
}

// What the pointer is over, in words: the slice's name, size and share.
void ChartSurfaceWidget::showToolTip(const QHelpEvent &help)
{
    const int slice = m_figure.sliceAt(help.pos());
    if (slice < 0) {
        QToolTip::hideText();
        return;
    }
    const PieSlice &over = m_figure.slices[size_t(slice)];
    const QString share = formatPercent(over.share, 2);
    QString text = over.sizeText.isEmpty() ? over.name + QLatin1Char(' ') + share
                                           : over.name + QLatin1Char(' ') + over.sizeText + QStringLiteral("、") + share;
    if (!over.note.isEmpty())
        text += QLatin1Char(' ') + over.note;
    QToolTip::showText(help.globalPos(), text, this);
}

void ChartSurfaceWidget::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (const int slice = m_figure.sliceAt(event->position()); slice >= 0)
        emit sliceActivated(m_figure.slices[size_t(slice)].key);
}

void ChartSurfaceWidget::keyPressEvent(QKeyEvent *event)
{
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && event->key() == Qt::Key_Backspace) {
        emit backRequested();
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_currentSlice >= 0
        && size_t(m_currentSlice) < m_figure.slices.size()) {
        emit sliceActivated(m_figure.slices[size_t(m_currentSlice)].key);
        return;
    }
    if (m_figure.slices.empty() || (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right)) {
        QWidget::keyPressEvent(event);
        return;
    }
    stepSlice(event->key() == Qt::Key_Right ? 1 : -1);
}

void ChartSurfaceWidget::stepSlice(int step)
{
    // Right follows the slices as drawn, clockwise; from none it starts at the first,
    // Left at the last, and both go round.
    const int count = int(m_figure.slices.size());
    if (m_currentSlice < 0)
        m_currentSlice = step > 0 ? 0 : count - 1;
    else
        m_currentSlice = (m_currentSlice + step + count) % count;
    update();
    QAccessibleEvent focused(this, QAccessible::Focus);
    focused.setChild(m_currentSlice);
    QAccessible::updateAccessibility(&focused);
}

void ChartSurfaceWidget::drawShape(const std::function<void(QPainter &)> &draw)
{
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(toQColor(m_foregroundColour));
    painter.setBrush(toQColor(m_fillColour));
    draw(painter);
    painter.end();
    update();
}
