// tonvale-studio: the course studio. Teachers build a course for the tutor
// (lesson tree, phrases in their own voice or from their recordings,
// explanations), try it as a learner and share it as one file.
//   tonvale-studio [FOLDER]    opens the course in FOLDER, or starts a new
//                              one there when FOLDER is empty or missing
#include "app/ProgramStart.h"
#include "studio/StudioWindow.h"
#include "widgets/AudioDevice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

int main(int argc, char** argv)
{
    const std::unique_ptr<QCoreApplication> application = MakeApplication(argc, argv, {}, {});
    PresentProgram(StudioIdentity);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Tonvale Studio: build courses for Tonvale Tutor and share them.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        "folder",
        "The course folder to open; an empty or missing folder starts a new course there, "
        "titled after the folder.",
        "[FOLDER]");
    parser.process(*application);
    InstallQtAudioOutput();

    StudioWindow window;
    if (!parser.positionalArguments().isEmpty()) {
        const QString folder = QDir(parser.positionalArguments().front()).absolutePath();
        const QFileInfo info(folder);
        if (!info.exists() || QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                   QDir::Hidden | QDir::System))
            window.CreateCourse(folder, info.fileName());
        else
            window.OpenCourse(folder);
    }
    window.show();
    return QCoreApplication::exec();
}
