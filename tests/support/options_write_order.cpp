#include "options_write_order.h"

#include "options_settings.h"
#include "recording_settings_store.h"

namespace vk350 {

QStringList OptionsWriteOrder() {
    RecordingSettingsStore store;
    writeOptionsSettings(store, OptionsSettings());
    return store.writes;
}

} // namespace vk350
