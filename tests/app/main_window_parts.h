// Short ways to the main window's parts by their names in its object tree.
#pragma once

#include "knob_label.h"
#include "main_window.h"
#include "sample_edit.h"
#include "window_parts.h"

#include <QAction>
#include <QMenu>

namespace vk350 {

inline QAction* findAction(const TForm1& window, const char* name) {
    return findPart<QAction>(window, name);
}
inline QMenu* findMenu(const TForm1& window, const char* name) {
    return findPart<QMenu>(window, name);
}
inline Tsqpotlab* findKnob(const TForm1& window, const char* name) {
    return findPart<Tsqpotlab>(window, name);
}
inline TsqSampleEdit* findEditor(const TForm1& window) {
    return findPart<TsqSampleEdit>(window, "sqSampleEdit1");
}

} // namespace vk350
