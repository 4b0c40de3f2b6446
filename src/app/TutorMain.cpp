// tonvale-tutor: the desktop tutor. Reads its settings, finds the content
// and opens the lesson tree.
#include "app/Main.h"
#include "platform/AudioDevice.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("tonvale-tutor");
    QApplication::setApplicationVersion("1.0");
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tonvale Tutor: practise the rhythm, stress and intonation of English phrases.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption settingsOption("settings", "Read the settings from FILE.", "FILE");
    parser.addOption(settingsOption);
    parser.process(app);
    InstallQtAudioOutput();

    Main start(SettingsStore(SettingsStore::ChooseFile(parser.value(settingsOption))));
    start.show();
    return app.exec();
}
