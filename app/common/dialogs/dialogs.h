// The common dialogs that commands need (file names, messages, colours), behind an interface
// so that tests can answer them without a modal loop. Window thread only.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace vk350 {

struct FileDialogRequest {
    QString title;
    // "Description|pattern;pattern|Description|pattern", as the commands state their filters.
    QString filter;
    int filterIndex = 1; // 1-based
    QString fileName;    // preset name
    bool confirmOverwrite = false;
    // Open dialogs only: any typed name is taken, existing or not (a folder plus a pattern such
    // as "kit_*.bin").
    bool acceptAnyName = false;
    // Open dialogs only: the user picks a folder; the answer is that folder followed by the
    // preset name.
    bool chooseFolder = false;
    // Open dialogs only: a preview of the selected wave file beside the list.
    bool wavePreview = false;
};

struct FileDialogAnswer {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1;
};

enum class MessageIcon { Error, Warning, Information };

// The answer to a question about unsaved changes.
enum class SaveChoice { Save, Discard, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual FileDialogAnswer OpenFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual FileDialogAnswer SaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual void Message(QWidget* parent, MessageIcon icon, const QString& title, const QString& text) = 0;
    // Colours are 0x00BBGGRR, as the settings store holds them; nothing on cancel.
    virtual std::optional<uint32_t> ChooseColor(QWidget* parent, uint32_t initial) = 0;
    // Save, Discard or Cancel, asked before unsaved changes would be lost. Without an answer the
    // changes are dropped, as before there was a question.
    virtual SaveChoice AskToSave(QWidget* parent, const QString& title, const QString& text) {
        (void)parent;
        (void)title;
        (void)text;
        return SaveChoice::Discard;
    }
    // A number typed in a small dialog, within min and max with the given decimals, starting at
    // value; nothing on cancel.
    virtual std::optional<double> AskNumber(QWidget* parent, const QString& title, const QString& label,
                                            double value, double min, double max, int decimals) = 0;
};

} // namespace vk350
