// Dialogs answered from a script: file dialogs take their answers from a queue (an empty
// queue cancels), and every request and message is recorded for the test to read.
#pragma once

#include "dialogs.h"

#include <deque>
#include <vector>

namespace vk350 {

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        MessageIcon icon;
        QString title;
        QString text;
    };

    std::deque<FileDialogAnswer> answers;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<Shown> messages;
    std::deque<std::optional<uint32_t>> colors;
    // Answers to the unsaved-changes question (none: Discard), and the questions asked.
    std::deque<SaveChoice> saveChoices;
    std::vector<Shown> questions;

    void Answer(const QString& fileName, int filterIndex) {
        answers.push_back({true, fileName, filterIndex});
    }

    FileDialogAnswer OpenFile(QWidget*, const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return Next();
    }
    FileDialogAnswer SaveFile(QWidget*, const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return Next();
    }
    void Message(QWidget*, MessageIcon icon, const QString& title, const QString& text) override {
        messages.push_back({icon, title, text});
    }
    std::optional<uint32_t> ChooseColor(QWidget*, uint32_t) override {
        if (colors.empty())
            return std::nullopt;
        const auto c = colors.front();
        colors.pop_front();
        return c;
    }

    SaveChoice AskToSave(QWidget*, const QString& title, const QString& text) override {
        questions.push_back({MessageIcon::Warning, title, text});
        if (saveChoices.empty())
            return SaveChoice::Discard;
        const SaveChoice c = saveChoices.front();
        saveChoices.pop_front();
        return c;
    }

private:
    FileDialogAnswer Next() {
        if (answers.empty())
            return {};
        const FileDialogAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace vk350
