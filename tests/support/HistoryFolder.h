#pragma once
// Points the tutor's practice history at a folder of the test's own for the
// life of the object, and back where it was after.
#include <QByteArray>
#include <QString>

class HistoryFolder
{
public:
    explicit HistoryFolder(const QString& folder)
        : saved(qgetenv("TONVALE_HISTORY")), hadValue(qEnvironmentVariableIsSet("TONVALE_HISTORY"))
    {
        qputenv("TONVALE_HISTORY", folder.toLocal8Bit());
    }
    ~HistoryFolder()
    {
        if (hadValue)
            qputenv("TONVALE_HISTORY", saved);
        else
            qunsetenv("TONVALE_HISTORY");
    }
    HistoryFolder(const HistoryFolder&) = delete;
    HistoryFolder& operator=(const HistoryFolder&) = delete;

private:
    QByteArray saved;
    bool hadValue;
};
