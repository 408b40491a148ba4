// Toolbar icons are drawn size by size as they are asked for; they look as an icon holding
// every size drawn at once does, for every size and mode asked, in whatever order.
#include "toolbar_icons.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace vk350;

TEST(ToolbarIcons, DrawnAsAskedForTheyLookAsIfAllSizesWereDrawnAtOnce) {
    const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected};
    // Odd sizes first: each is shown from a size not drawn yet, scaled, or from the largest.
    const int asked[] = {20, 12, 40, 64, 28, 16, 24, 32, 48, 18};
    for (ToolIcon which : {ToolIcon::New, ToolIcon::Save, ToolIcon::Play, ToolIcon::Stop}) {
        SCOPED_TRACE(int(which));
        const QIcon icon = drawnToolbarIcon(which);
        std::vector<QImage> seen;
        for (int size : asked)
            for (QIcon::Mode mode : modes)
                seen.push_back(icon.pixmap(QSize(size, size), mode).toImage());
        // An icon holding every size, built from the sizes drawn exactly.
        QIcon whole;
        for (int size : {16, 24, 32, 48})
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
                whole.addPixmap(icon.pixmap(QSize(size, size), mode), mode);
        EXPECT_EQ(icon.availableSizes(), whole.availableSizes());
        size_t i = 0;
        for (int size : asked)
            for (QIcon::Mode mode : modes) {
                const QImage expected = whole.pixmap(QSize(size, size), mode).toImage();
                EXPECT_EQ(seen[i].size(), expected.size()) << size << " mode " << mode;
                EXPECT_TRUE(seen[i] == expected) << size << " mode " << mode;
                ++i;
            }
        // The disabled look is its own, not the normal one.
        EXPECT_FALSE(icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage() ==
                     icon.pixmap(QSize(24, 24), QIcon::Normal).toImage());
    }
}
