// vk350-editor: creates the windows in their start-up order and runs the event loop.
// "vk350-editor FILE" opens FILE as the Load Raw-Bin command would.
#include "about_window.h"
#include "bank_window.h"
#include "editor_application.h"
#include "editor_arguments.h"
#include "main_window.h"
#include "midi_driver_factory.h"
#include "options_window.h"
#include "patterns_window.h"
#include "qt_connector_pump.h"
#include "qt_dialogs.h"
#include "qt_dispatcher.h"
#include "sample_view.h"
#include "settings_store.h"
#include "start_file.h"
#include "version.h"
#include "wave_device_factory.h"
#include "wave_out_link.h"
#include "wave_player.h"
#include "wave_preview.h"

#include <QFile>
#include <QFileInfo>
#include <QSessionManager>
#include <QStandardPaths>
#include <cstdio>

using namespace vk350;

int main(int argc, char** argv) {
    // Answered before Qt starts: these need no display.
    const EditorArguments arguments = parseEditorArguments(argc, argv);
    switch (arguments.action) {
    case EditorArguments::Action::Help:
        std::fputs(editorHelp().c_str(), stdout);
        return 0;
    case EditorArguments::Action::Version:
        std::printf("%s\n", editorVersionLine().c_str());
        return 0;
    case EditorArguments::Action::Error:
        std::fprintf(stderr, "vk350-editor: %s; %s\n", arguments.error.c_str(), editorUsage().c_str());
        return 2;
    case EditorArguments::Action::Run:
        break;
    }

    EditorApplication app(argc, argv);
    EditorApplication::setApplicationName(QStringLiteral("VK350 Sample Editor"));
    EditorApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    // Lets the desktop match the windows to the menu entry and its icon.
    EditorApplication::setDesktopFileName(QStringLiteral("org.kelvane.VK350Editor"));

    // The MIDI system: VK350_MIDI_DRIVER names it ("alsa" by default, "jack", "loopback" for a dry run).
    std::unique_ptr<vk350::MidiDriver> midi = vk350::createMidiDriver(vk350::midiDriverNameFromEnvironment());
    if (!midi)
        midi = vk350::createMidiDriver(vk350::kDefaultMidiDriver);

    // The wave system: VK350_AUDIO_DRIVER names it ("alsa" by default, "virtual" without a card).
    std::unique_ptr<vk350::WaveDevice> audio =
        vk350::createWaveDevice(vk350::audioDriverNameFromEnvironment());
    if (!audio)
        audio = vk350::createWaveDevice(vk350::kDefaultAudioDriver);
    vk350::QtDispatcher dispatcher;
    vk350::ConnectorHub hub(dispatcher);
    vk350::QtConnectorPump pump(hub);
    pump.setPauseMicros(vk350::ConnectorPump::kDisplayPaceMicros);

    vk350::QtSettingsStore store;
    QtDialogs dialogs;
    // The main window owns its audio chain and plays through this wave system.
    const vk350::MainAudio mainAudio{*audio, dispatcher, hub};
    MainWindow form(dialogs, &store, &mainAudio);
    BankWindow bank(store, dialogs);
    bank.setAttribute(Qt::WA_QuitOnClose, false);
    // The patterns window comes before the options window, whose ports deliver pattern dumps to it
    // from the moment they open.
    PatternsWindow patterns(store, dialogs);
    patterns.setAttribute(Qt::WA_QuitOnClose, false);
    // The options window sets the device, buffers and method of the main window's output.
    vk350::WaveOutLink waveOut(form.ChainOutput(), *audio);
    vk350::OptionsWindow options(vk350::OptionsLinks{store, dialogs, *midi, form.MainView(),
                                                     form.EditingPanel(), bank, patterns, waveOut});
    form.SetOptionsWindow(&options);
    form.SetBankWindow(&bank);
    form.SetPatternsWindow(&patterns);
    bank.SetOptionsWindow(&options);
    bank.SetMainWindow(&form);
    patterns.SetOptionsWindow(&options);
    // The bank and the held pattern dump live on between runs in the user's data folder.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!dataFolder.isEmpty()) {
        bank.KeepIn(dataFolder);
        patterns.KeepIn(dataFolder);
    }
    // Logging out keeps the bank and asks about unsaved work as closing does; Cancel asks the
    // session to stay.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, [&](QSessionManager& manager) {
        if (!dataFolder.isEmpty()) {
            bank.SaveKept();
            patterns.SaveKept();
        }
        if (manager.allowsInteraction()) {
            const bool leave = form.ConfirmUnsavedWork();
            manager.release();
            if (!leave)
                manager.cancel();
        }
    });
    AboutWindow about(&form);
    about.setAttribute(Qt::WA_QuitOnClose, false);
    form.SetAboutBox(&about);

    dialogs.SetPreviewPlayer(form.CreatePreviewPlayer());
    form.show();
    if (arguments.files.size() > 1) {
        // kit_*.bin from the shell: the bank fills as Load all fills it.
        QStringList files;
        for (const std::string& name : arguments.files)
            files.append(QFileInfo(QFile::decodeName(name.c_str())).absoluteFilePath());
        bank.show();
        bank.LoadFiles(files);
        dialogs.RememberFolderOf(files.front());
    } else if (!arguments.file.empty()) {
        const QString file = QFile::decodeName(arguments.file.c_str());
        openStartFile(form, dialogs, file, stderr);
        dialogs.RememberFolderOf(file);
    }
    return EditorApplication::exec();
}
