// AboutWindow: product title, revision and credits; a click anywhere closes it.
#pragma once

#include <QDialog>

class QLabel;

namespace vk350 {

class AboutWindow : public QDialog {
public:
    explicit AboutWindow(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The window's parts, named in its object tree after these members.
    QLabel* productName = nullptr;
    QLabel* Version = nullptr;
    QLabel* credits = nullptr;
};

} // namespace vk350
