#include "toolbar_icons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>
#include <cmath>
#include <iterator>

namespace vk350 {

namespace {

const QColor kInk(0x33, 0x3a, 0x44);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kFolder(0xe8, 0xb0, 0x3c);
const QColor kBlue(0x2f, 0x6f, 0xc0);
const QColor kGreen(0x2e, 0x9a, 0x4a);
const QColor kRed(0xc8, 0x3a, 0x32);

void drawPage(QPainter& p, QRectF r) {
    QPainterPath path;
    const qreal fold = 5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
}

void drawFolder(QPainter& p) {
    QPainterPath back;
    back.moveTo(2.5, 6);
    back.lineTo(9, 6);
    back.lineTo(11, 8);
    back.lineTo(20.5, 8);
    back.lineTo(20.5, 19.5);
    back.lineTo(2.5, 19.5);
    back.closeSubpath();
    p.setBrush(kFolder.darker(115));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(4.5, 11);
    front.lineTo(22, 11);
    front.lineTo(20.5, 19.5);
    front.lineTo(2.5, 19.5);
    front.closeSubpath();
    p.setBrush(kFolder);
    p.drawPath(front);
}

void drawWave(QPainter& p, QRectF r, const QColor& color) {
    QPainterPath path;
    for (int i = 0; i <= 24; ++i) {
        const qreal x = r.left() + r.width() * i / 24.0;
        const qreal y = r.center().y() - std::sin(i * 3.14159265 / 4.0) * r.height() / 2 * (1.0 - i / 30.0);
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.restore();
}

void drawArrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.save();
    p.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF u = d / len, n(-u.y(), u.x());
    p.drawPolyline(QPolygonF({to - u * 4 + n * 3.5, to, to - u * 4 - n * 3.5}));
    p.restore();
}

void drawIcon(QPainter& p, ToolIcon which) {
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (which) {
    case ToolIcon::New:
        drawPage(p, QRectF(5, 2.5, 14, 19));
        p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 10), QPointF(12, 17));
        p.drawLine(QPointF(8.5, 13.5), QPointF(15.5, 13.5));
        break;
    case ToolIcon::Open:
        drawFolder(p);
        drawArrow(p, QPointF(15, 5.5), QPointF(15, 0.5), kBlue);
        break;
    case ToolIcon::Save: {
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(6.5, 3, 11, 7));
        p.setBrush(kInk);
        p.drawRect(QRectF(14, 4.5, 2, 4));
        p.setBrush(QColor(0xdd, 0xe3, 0xea));
        p.drawRect(QRectF(6, 13.5, 12, 7.5));
        break;
    }
    case ToolIcon::OpenWave:
        drawFolder(p);
        drawWave(p, QRectF(6, 12, 12, 6), kBlue.darker(130));
        break;
    case ToolIcon::SendMidi: {
        p.setBrush(QColor(0x4a, 0x52, 0x5e));
        p.drawEllipse(QRectF(2.5, 6.5, 13, 13));
        p.setBrush(kPaper);
        p.setPen(Qt::NoPen);
        const QPointF c(9, 13);
        for (int i = 0; i < 5; ++i) {
            const qreal a = (180.0 + i * 45.0) * 3.14159265 / 180.0;
            p.drawEllipse(c + QPointF(std::cos(a) * 4, std::sin(a) * 4), 1.1, 1.1);
        }
        drawArrow(p, QPointF(13, 4.5), QPointF(21.5, 4.5), kGreen);
        break;
    }
    case ToolIcon::CopyToBank: {
        drawPage(p, QRectF(2.5, 2.5, 10, 13));
        drawWave(p, QRectF(4, 7, 7, 4), kBlue);
        p.setBrush(QColor(0xdd, 0xe3, 0xea));
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(14.5, 9.5 + i * 4, 7, 3));
        drawArrow(p, QPointF(9, 19), QPointF(13.5, 19), kGreen);
        break;
    }
    case ToolIcon::FullView:
        p.setBrush(QColor(0x1c, 0x22, 0x2a));
        p.drawRect(QRectF(2.5, 5.5, 19, 13));
        drawWave(p, QRectF(4, 8, 16, 8), QColor(0x4c, 0xc0, 0xc0));
        p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(1.5, 3), QPointF(1.5, 21));
        p.drawLine(QPointF(22.5, 3), QPointF(22.5, 21));
        break;
    case ToolIcon::ZoomOneToOne: {
        p.setBrush(kPaper);
        p.setPen(QPen(kInk, 2));
        p.drawEllipse(QRectF(2.5, 2.5, 14, 14));
        p.setPen(QPen(kInk, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        QFont f;
        f.setPixelSize(7);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kBlue);
        p.drawText(QRectF(2.5, 2.5, 14, 14), Qt::AlignCenter, QStringLiteral("1:1"));
        break;
    }
    case ToolIcon::Sign: {
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(2, 12), QPointF(22, 12));
        p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 5), QPointF(12, 5));
        p.drawLine(QPointF(9, 2), QPointF(9, 8));
        p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 19), QPointF(18, 19));
        break;
    }
    case ToolIcon::Cut: {
        p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 2.5), QPointF(15.5, 15));
        p.drawLine(QPointF(17, 2.5), QPointF(8.5, 15));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kRed, 2));
        p.drawEllipse(QRectF(3.5, 14.5, 6, 6));
        p.drawEllipse(QRectF(14.5, 14.5, 6, 6));
        break;
    }
    case ToolIcon::Play: {
        p.setBrush(kGreen);
        p.setPen(QPen(kGreen.darker(140), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolygon(QPolygonF({QPointF(7, 4), QPointF(20, 12), QPointF(7, 20)}));
        break;
    }
    case ToolIcon::Loop: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(3.5, 5, 17, 14), 30 * 16, 300 * 16);
        p.setBrush(kBlue);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(21.5, 4), QPointF(21.5, 11), QPointF(15, 8.5)}));
        break;
    }
    case ToolIcon::Stop:
        p.setBrush(kRed);
        p.setPen(QPen(kRed.darker(140), 1.2));
        p.drawRoundedRect(QRectF(5, 5, 14, 14), 1.5, 1.5);
        break;
    }
}

const char* themeName(ToolIcon which) {
    switch (which) {
    case ToolIcon::New:
        return "document-new";
    case ToolIcon::Open:
        return "document-open";
    case ToolIcon::Save:
        return "document-save";
    case ToolIcon::OpenWave:
        return "audio-x-generic";
    case ToolIcon::SendMidi:
        return "document-send";
    case ToolIcon::CopyToBank:
        return "edit-copy";
    case ToolIcon::FullView:
        return "zoom-fit-best";
    case ToolIcon::ZoomOneToOne:
        return "zoom-original";
    case ToolIcon::Sign:
        return "";
    case ToolIcon::Cut:
        return "edit-cut";
    case ToolIcon::Play:
        return "media-playback-start";
    case ToolIcon::Loop:
        return "media-playlist-repeat";
    case ToolIcon::Stop:
        return "media-playback-stop";
    }
    return "";
}

} // namespace

namespace {

constexpr int kSizes[] = {16, 24, 32, 48};

QPixmap drawPixmap(ToolIcon which, int size, bool disabled) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 24.0, size / 24.0);
    if (disabled)
        p.setOpacity(0.35);
    drawIcon(p, which);
    p.end();
    return pixmap;
}

// The icon's pixmaps, each size and mode (normal or disabled) drawn when first asked for. An icon
// holding only some of the sizes picks the same one for a request as one holding all (the
// smallest that covers it, else the largest), once that one is in: so drawing it first and asking
// the icon looks the same. Modes other than disabled take the normal pixmaps.
class DrawnIconEngine : public QIconEngine {
public:
    explicit DrawnIconEngine(ToolIcon which) : which_(which) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return drawn(size, mode).pixmap(size, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio =
            painter->device() ? painter->device()->devicePixelRatio() : qApp->devicePixelRatio();
        drawn(rect.size() * ratio, mode).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return drawn(size, mode).actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> sizes;
        if (state == QIcon::Off && (mode == QIcon::Normal || mode == QIcon::Disabled))
            for (int s : kSizes)
                sizes.append(QSize(s, s));
        return sizes;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }

private:
    // The icon with the size that a request of size picks drawn in, in the request's mode.
    const QIcon& drawn(const QSize& size, QIcon::Mode mode) {
        const qint64 area = qint64(size.width()) * size.height();
        int pick = kSizes[std::size(kSizes) - 1];
        for (int s : kSizes)
            if (qint64(s) * s >= area) {
                pick = s;
                break;
            }
        const bool disabled = mode == QIcon::Disabled;
        QList<int>& done = disabled ? drawnDisabled_ : drawnNormal_;
        if (!done.contains(pick)) {
            done.append(pick);
            icon_.addPixmap(drawPixmap(which_, pick, disabled), disabled ? QIcon::Disabled : QIcon::Normal);
        }
        return icon_;
    }

    ToolIcon which_;
    QIcon icon_;
    QList<int> drawnNormal_;
    QList<int> drawnDisabled_;
};

} // namespace

QIcon drawnToolbarIcon(ToolIcon which) {
    // One icon for the program: every window's toolbar shares the pixmaps drawn. Never freed,
    // so none outlives the application that drew it in a destructor of its own.
    static auto* icons = new std::array<QIcon, size_t(ToolIcon::Stop) + 1>();
    QIcon& icon = (*icons)[size_t(which)];
    if (icon.isNull())
        icon = QIcon(new DrawnIconEngine(which));
    return icon;
}

QIcon toolbarIcon(ToolIcon which) {
    const QString name = QString::fromLatin1(themeName(which));
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return drawnToolbarIcon(which);
}

} // namespace vk350
