#include "log_memo.h"

#include <QMouseEvent>
#include <QPalette>

namespace vk350 {

LogMemo::LogMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setToolTip(QStringLiteral("Double clic to clear ..."));
    QPalette p = palette();
    p.setColor(QPalette::Base, QColor(0x00, 0x00, 0x80));
    p.setColor(QPalette::Text, QColor(0x00, 0xFF, 0xFF));
    setPalette(p);
    // A long session keeps its last lines, not all of them.
    setMaximumBlockCount(10000);
}

void LogMemo::Add(const QString& line) {
    appendPlainText(line);
}

QStringList LogMemo::Lines() const {
    const QString text = toPlainText();
    if (text.isEmpty() && document()->blockCount() <= 1)
        return {};
    return text.split(QLatin1Char('\n'));
}

void LogMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    clear();
    event->accept();
}

} // namespace vk350
