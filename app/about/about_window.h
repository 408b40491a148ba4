// TAboutBox: product title, revision and credits; a click anywhere closes it.
#pragma once

#include <QDialog>

class QLabel;

namespace vk350 {

class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The window's parts, named in its object tree after these members.
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Credits = nullptr;
};

} // namespace vk350
