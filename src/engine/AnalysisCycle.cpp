#include "engine/AnalysisCycle.h"

#include <QFile>

namespace {
constexpr int PathFieldWidth = 128;
}

QString AnalyserCommandLine(const QString& analyserPath, const QString& waveFile)
{
    return analyserPath + " " + waveFile.leftJustified(PathFieldWidth, ' ') + " Melod";
}

QStringList AnalyserArguments(const QString& waveFile)
{
    return {waveFile.trimmed(), QStringLiteral("Melod")};
}

bool ReadResultItem(const QString& resultFile, QString& item)
{
    QFile file(resultFile);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray line = file.readLine(64 * 1024);
    if (file.error() != QFileDevice::NoError) return false;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    qsizetype start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    line = line.mid(start);
    if (line.startsWith('"')) {
        const qsizetype close = line.indexOf('"', 1);
        item = QString::fromUtf8(close < 0 ? line.mid(1) : line.mid(1, close - 1));
        return true;
    }
    const qsizetype comma = line.indexOf(',');
    QByteArray text = comma < 0 ? line : line.left(comma);
    while (text.endsWith(' ') || text.endsWith('\t'))
        text.chop(1); // blanks before the comma do not belong to the item
    item = QString::fromUtf8(text);
    return true;
}

bool ResultFileSaysGood(const QString& resultFile)
{
    QString item;
    return ReadResultItem(resultFile, item) && item == QLatin1String("Good");
}

QString ResultFileReason(const QString& resultFile)
{
    QFile file(resultFile);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString line = QString::fromUtf8(file.readLine(64 * 1024)).trimmed();
    const qsizetype comma = line.indexOf(',');
    return comma < 0 ? QString() : line.mid(comma + 1).trimmed();
}
