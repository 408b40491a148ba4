// TAboutBox: product title, revision and credits; a click anywhere closes it.
#pragma once

#include <QDialog>

class QLabel;

namespace vk350 {

class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Credits = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vk350
