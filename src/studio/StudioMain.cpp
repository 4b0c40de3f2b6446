// tonvale-studio: the course studio. Teachers build a course for the tutor
// (lesson tree, phrases in their own voice or from their recordings,
// explanations), try it as a learner and share it as one file.
//   tonvale-studio [FOLDER]    opens the course in FOLDER
#include "platform/AudioDevice.h"
#include "studio/StudioWindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("tonvale-studio");
    QApplication::setApplicationVersion("1.0");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tonvale Studio: build courses for Tonvale Tutor and share them.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("folder", "The course folder to open.", "[FOLDER]");
    parser.process(app);
    InstallQtAudioOutput();

    StudioWindow window;
    if (!parser.positionalArguments().isEmpty())
        window.OpenCourse(parser.positionalArguments().front());
    window.show();
    return app.exec();
}
