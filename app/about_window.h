// TAboutBox: product title, revision and credits; a click anywhere closes it.
#pragma once

#include <QDialog>

class QLabel;

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
