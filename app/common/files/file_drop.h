// Takes files dropped from the desktop on a widget: a drag that carries local files is accepted,
// and the drop hands their paths, sorted by name, to OnDrop. Installed as an event filter on the
// widget, which it also makes accept drops. Window thread.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

namespace vk350 {

class FileDrop : public QObject {
public:
    // Owned by target.
    FileDrop(QWidget* target, std::function<void(const QStringList& paths)> onDrop);

    // The local files a drag carries, sorted by file name (not by folder); empty for anything else.
    static QStringList LocalFiles(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QStringList&)> onDrop_;
};

} // namespace vk350
