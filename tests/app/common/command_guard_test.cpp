#include "command_guard.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vk350 {
namespace {

// What escapes a command, whether the window gave a text for the unexpected, and what it shows.
TEST(CommandGuard, ShowsWhatEscapesACommandAndPassesOnWhatItCannotName) {
    struct Case {
        const char* name;
        std::function<void()> command;
        std::optional<QString> unexpected;
        QStringList shown;
        bool passedOn;
    };
    const std::vector<Case> cases = {
        {"nothing thrown", [] {}, QStringLiteral("Unexpected error"), {}, false},
        {"an error",
         [] { throw std::runtime_error("Write File Error"); },
         std::nullopt,
         {"Write File Error"},
         false},
        {"an error, with a text for the unexpected",
         [] { throw std::runtime_error("Out of sample memory"); },
         QStringLiteral("Unexpected error"),
         {"Out of sample memory"},
         false},
        {"something else", [] { throw 42; }, QStringLiteral("Unexpected error"), {"Unexpected error"}, false},
        {"something else, no text for it", [] { throw 42; }, std::nullopt, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList shown;
        bool passedOn = false;
        try {
            runGuardedCommand(
                c.command, [&](const QString& text) { shown << text; }, c.unexpected);
        } catch (int) {
            passedOn = true;
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(passedOn, c.passedOn);
    }
}

} // namespace
} // namespace vk350
