#pragma once
// The subcommands of tvtool. Each takes the words after its name and writes
// to the given streams; the result is the process exit status (0 done,
// 1 failed, 2 wrong call). Output is written as bytes: texts from content
// files appear exactly as they are stored.
#include <QStringList>

#include <ostream>

struct ToolStreams
{
    std::ostream& out;
    std::ostream& err;
};

int TreeCommand(const QStringList& args, ToolStreams io);
int PhrasesCommand(const QStringList& args, ToolStreams io);
int InfoCommand(const QStringList& args, ToolStreams io);
int RenderCommand(const QStringList& args, ToolStreams io);
int AuthorCommand(const QStringList& args, ToolStreams io);
int DemoContentCommand(const QStringList& args, ToolStreams io);
int LintCommand(const QStringList& args, ToolStreams io);
int HistoryCommand(const QStringList& args, ToolStreams io);
int CompareCommand(const QStringList& args, ToolStreams io);
