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

// Answers what a command's parser made of its words: 1, help asked for, puts
// the usage on out and ends with 0; 2, a wrong call, puts it on err and ends
// with 2. Gives the status to end with, or -1 to go on.
inline int AnswerUsageRequest(int parsed, const char* usage, ToolStreams io)
{
    if (parsed == 1) {
        io.out << usage;
        return 0;
    }
    if (parsed == 2) {
        io.err << usage;
        return 2;
    }
    return -1;
}

// The same, for a parser that says why it refused a call: the reason comes
// after the usage, as the last line, where the user's eye is.
inline int AnswerUsageRequest(int parsed, const char* usage, const char* command,
                              const QString& why, ToolStreams io)
{
    const int status = AnswerUsageRequest(parsed, usage, io);
    if (parsed == 2 && !why.isEmpty())
        io.err << "tvtool " << command << ": " << why.toStdString() << '\n';
    return status;
}

// The words of a command that are not options, in order; "--" ends the
// options, so a folder or code that begins with '-' can still be named.
// False when a word is an option the command does not know: a mistyped one
// must not be taken for a folder.
inline bool OperandsOnly(const QStringList& words, QStringList& operands)
{
    bool onlyOperands = false;
    for (const QString& word : words) {
        if (!onlyOperands && word == "--")
            onlyOperands = true;
        else if (!onlyOperands && word.startsWith('-') && word.size() > 1)
            return false;
        else
            operands << word;
    }
    return true;
}

int TreeCommand(const QStringList& args, ToolStreams io);
int PhrasesCommand(const QStringList& args, ToolStreams io);
int InfoCommand(const QStringList& args, ToolStreams io);
int RenderCommand(const QStringList& args, ToolStreams io);
int AuthorCommand(const QStringList& args, ToolStreams io);
int DemoContentCommand(const QStringList& args, ToolStreams io);
int LintCommand(const QStringList& args, ToolStreams io);
int HistoryCommand(const QStringList& args, ToolStreams io);
int CompareCommand(const QStringList& args, ToolStreams io);
