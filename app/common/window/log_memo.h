// The MIDI log: a read-only text of one line per step, navy with aqua text, cleared by a double
// click. Window thread only.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

namespace vk350 {

class LogMemo : public QPlainTextEdit {
public:
    explicit LogMemo(QWidget* parent = nullptr);

    void Add(const QString& line);
    void Clear() { clear(); }
    QStringList Lines() const;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace vk350
