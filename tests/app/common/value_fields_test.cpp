// The painted looks: a value field shows its digits in cyan on the dark background inside a grey
// frame, grey digits when disabled, aligned as the label says; a swatch shows its colour, the
// latest one set, inside a dark grey frame.
#include "value_fields.h"

#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vk350;

namespace {

QImage grabbed(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The columns holding ink other than the background, inside the frame.
std::pair<int, int> inkColumns(const QImage& image, QRgb background) {
    int first = -1, last = -1;
    for (int x = 1; x < image.width() - 1; ++x)
        for (int y = 1; y < image.height() - 1; ++y)
            if (image.pixel(x, y) != background) {
                first = first < 0 ? x : first;
                last = x;
            }
    return {first, last};
}

} // namespace

TEST(PaintedLooks, ValueFieldsShowTheirDigitsInTheirColoursWhereAligned) {
    const QRgb background = qRgb(0x10, 0x14, 0x18), frame = qRgb(0x5a, 0x60, 0x68);
    struct Case {
        bool enabled;
        Qt::Alignment align;
        QRgb digits;
    };
    for (const Case& c : {Case{true, Qt::AlignRight | Qt::AlignVCenter, qRgb(0x8e, 0xe8, 0xe8)},
                          Case{false, Qt::AlignRight | Qt::AlignVCenter, frame},
                          Case{true, Qt::AlignLeft | Qt::AlignVCenter, qRgb(0x8e, 0xe8, 0xe8)}}) {
        SCOPED_TRACE(testing::Message() << "enabled " << c.enabled << " align " << int(c.align));
        QLabel field(QStringLiteral("512"));
        field.setAlignment(c.align);
        field.setFixedSize(80, 18);
        field.setEnabled(c.enabled);
        styleValueField(&field);
        const QImage image = grabbed(field);
        for (const QPoint p : {QPoint(0, 0), QPoint(79, 17), QPoint(40, 0), QPoint(0, 9)})
            EXPECT_EQ(image.pixel(p), frame) << p.x() << "," << p.y();
        EXPECT_EQ(image.pixel(1, 1), background);
        // The digits reach their own colour somewhere, and nothing brighter than it.
        bool reached = false;
        for (int y = 1; y < 17; ++y)
            for (int x = 1; x < 79; ++x) {
                const QRgb px = image.pixel(x, y);
                reached = reached || px == c.digits;
                EXPECT_LE(qGreen(px), qGreen(c.digits));
            }
        EXPECT_TRUE(reached);
        // Frame (1), padding (3) and half an x stay clear on the aligned side.
        const int indent = field.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
        const auto [first, last] = inkColumns(image, background);
        ASSERT_GE(first, 0);
        if (c.align & Qt::AlignRight) {
            EXPECT_LE(last, 79 - 1 - 3 - indent);
            EXPECT_GT(first, 40);
        } else {
            EXPECT_GE(first, 1 + 3 + indent);
            EXPECT_LT(last, 40);
        }
    }
}

TEST(PaintedLooks, ASwatchShowsTheLatestColourInItsFrame) {
    QToolButton swatch;
    swatch.setFixedSize(44, 14);
    for (const QColor color : {QColor(Qt::red), QColor(0x12, 0x80, 0xf0), QColor(Qt::black)}) {
        showSwatchColor(&swatch, color);
        const QImage image = grabbed(swatch);
        EXPECT_EQ(image.pixel(0, 0), qRgb(0x40, 0x40, 0x40));
        EXPECT_EQ(image.pixel(43, 13), qRgb(0x40, 0x40, 0x40));
        for (const QPoint p : {QPoint(1, 1), QPoint(22, 7), QPoint(42, 12)})
            EXPECT_EQ(image.pixel(p), color.rgb()) << color.name().toStdString();
    }
    EXPECT_EQ(swatch.children().size(), 1) << "one look, however often the colour changes";
}
