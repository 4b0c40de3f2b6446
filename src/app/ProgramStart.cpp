#include "app/ProgramStart.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

QStringList ArgumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

bool AsksOnlyForWhatNeedsNoWindow(int argc, char** argv, const QList<QCommandLineOption>& options,
                                  const QList<QCommandLineOption>& windowless)
{
    // A parser of its own reads the command line here: the program's parser
    // reads it again through the application, which reports errors and
    // prints the help.
    QCommandLineParser reader;
    reader.addHelpOption();
    reader.addVersionOption();
    reader.addOptions(options);
    if (!reader.parse(ArgumentsOf(argc, argv))) return false;
    if (reader.isSet("help") || reader.isSet("help-all") || reader.isSet("version")) return true;
    for (const QCommandLineOption& option : windowless) {
        if (reader.isSet(option.names().first())) return true;
    }
    return false;
}

} // namespace

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv,
                                                  const QList<QCommandLineOption>& options,
                                                  const QList<QCommandLineOption>& windowless)
{
    if (AsksOnlyForWhatNeedsNoWindow(argc, argv, options, windowless))
        return std::make_unique<QCoreApplication>(argc, argv);
    return std::make_unique<QApplication>(argc, argv);
}

void PresentProgram(const ProgramIdentity& identity)
{
    QCoreApplication::setApplicationName(identity.Name);
    QCoreApplication::setApplicationVersion("1.0");
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
    QGuiApplication::setDesktopFileName(identity.DesktopId);
    QApplication::setWindowIcon(
        WindowIconFor(identity.IconName, QCoreApplication::applicationDirPath()));
}

QIcon WindowIconFor(const QString& iconName, const QString& programFolder)
{
    const QString installed = QDir::cleanPath(
        programFolder + "/../share/icons/hicolor/scalable/apps/" + iconName + ".svg");
    return QIcon::fromTheme(iconName, QFileInfo::exists(installed) ? QIcon(installed) : QIcon());
}
