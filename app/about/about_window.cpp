#include "about_window.h"

#include "part_names.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>

namespace vk350 {

namespace {
constexpr int kBannerHeight = 96;
}

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About VK350 Sample Editor"));
    setFixedSize(420, 300);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, kBannerHeight + 16, 24, 16);
    layout->setSpacing(6);

    productName = new QLabel(QStringLiteral("VK350 Sample Editor"), this);
    QFont title = productName->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    productName->setFont(title);
    productName->setAlignment(Qt::AlignHCenter);

    Version = new QLabel(QStringLiteral("Rev 1.0"), this);
    Version->setAlignment(Qt::AlignHCenter);

    credits = new QLabel(QStringLiteral("An editor for the 8-bit drum samples of the VK350.\n"
                                        "Load, edit and save raw samples, and exchange them\n"
                                        "with the drum machine over MIDI.\n\n"
                                        "Made by the Kelvane project with Qt."),
                         this);
    credits->setAlignment(Qt::AlignHCenter);
    credits->setWordWrap(true);

    auto* hint = new QLabel(QStringLiteral("Click to close"), this);
    hint->setAlignment(Qt::AlignHCenter);
    hint->setEnabled(false);

    nameParts({{productName, "productName"}, {Version, "Version"}, {credits, "credits"}});

    layout->addWidget(productName);
    layout->addWidget(Version);
    layout->addSpacing(6);
    layout->addWidget(credits, 1);
    layout->addWidget(hint);
}

void AboutWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    close();
}

// A banner in the waveform view's own colours: a decaying drum hit over a dark gradient.
void AboutWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF banner(0, 0, width(), kBannerHeight);
    QLinearGradient gradient(banner.bottomLeft(), banner.topLeft());
    gradient.setColorAt(0, QColor(0x00, 0x00, 0x80));
    gradient.setColorAt(1, Qt::black);
    p.fillRect(banner, gradient);
    const qreal mid = banner.center().y();
    p.setPen(QPen(QColor(0x80, 0x00, 0x00), 1, Qt::DotLine));
    p.drawLine(QPointF(0, mid), QPointF(width(), mid));
    QPainterPath wave;
    for (int x = 0; x < width(); ++x) {
        const qreal t = x / qreal(width());
        const qreal y = mid - std::exp(-4.0 * t) * std::sin(t * 70.0) * (kBannerHeight / 2.0 - 8);
        if (x == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setPen(QPen(QColor(0x00, 0x80, 0x80), 1.4));
    p.drawPath(wave);
}

} // namespace vk350
