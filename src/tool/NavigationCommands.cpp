// tvtool tree / tvtool phrases: the lesson tree and a category's phrases as
// the tutor reads them, one record a line, tab-separated, bytes as stored.
#include "content/ContentText.h"
#include "content/LessonTree.h"
#include "content/PhraseList.h"
#include "tool/Commands.h"

namespace {

QString AsSoundsFolder(const QString& dir)
{
    return dir.endsWith('/') ? dir : dir + '/';
}

bool WantsHelp(const QStringList& args)
{
    return args.contains("--help") || args.contains("-h");
}

void Write(std::ostream& out, const QByteArray& bytes)
{
    out.write(bytes.constData(), bytes.size());
}

// A field of a tab-separated record: a tab stored in it is written \x09,
// so that every record keeps its number of fields.
void WriteField(std::ostream& out, const QByteArray& bytes)
{
    QByteArray field = bytes;
    Write(out, field.replace('\t', "\\x09"));
}

} // namespace

int TreeCommand(const QStringList& args, ToolStreams io)
{
    const char* usage =
        "usage: tvtool tree SOUNDS_DIR\n"
        "Reads SOUNDS_DIR/Tree.txt as the tutor does and prints\n"
        "'LastNodeIndex <n>', then one line per node:\n"
        "<i>\\t<Parent>\\t<FirstChild>\\t<PrevSibling>\\t<NextSibling>\\t<Code>\\t<Name>\n";
    if (WantsHelp(args)) {
        io.out << usage;
        return 0;
    }
    QStringList operands;
    if (!OperandsOnly(args, operands) || operands.size() != 1) {
        io.err << usage;
        return 2;
    }
    const LessonTree tree = ReadLessonTreeFile(AsSoundsFolder(operands[0]) + "Tree.txt");
    io.out << "LastNodeIndex " << tree.LastNodeIndex << "\n";
    for (int i = 0; i <= tree.LastNodeIndex; ++i) {
        const LessonNode& node = tree.Nodes[i];
        io.out << i << '\t' << node.Parent << '\t' << node.FirstChild << '\t' << node.PrevSibling
               << '\t' << node.NextSibling << '\t';
        Write(io.out, node.Code);
        io.out << '\t';
        Write(io.out, node.Name);
        io.out << '\n';
    }
    return 0;
}

int PhrasesCommand(const QStringList& args, ToolStreams io)
{
    const char* usage = "usage: tvtool phrases SOUNDS_DIR CODE\n"
                        "Reads SOUNDS_DIR/SentList.txt as the tutor does for category CODE\n"
                        "(may be empty) and prints 'PhraseCount <n>', then one line per phrase\n"
                        "in list order: <i>\\t<FileStem>\\t<PhraseText>; a tab within a field\n"
                        "is written \\x09\n";
    if (WantsHelp(args)) {
        io.out << usage;
        return 0;
    }
    QStringList operands;
    if (!OperandsOnly(args, operands) || operands.size() != 2) {
        io.err << usage;
        return 2;
    }
    const QString soundsFolder = AsSoundsFolder(operands[0]);
    // A list that cannot be read prints as a category without phrases.
    const std::vector<PhraseEntry> phrases =
        ReadPhraseListFile(soundsFolder + "SentList.txt", operands[1].toLocal8Bit(),
                           soundsFolder.toLocal8Bit())
            .value_or(std::vector<PhraseEntry>{});
    const int count = phrases.empty() ? 0 : int(phrases.size() - 1);
    io.out << "PhraseCount " << count << "\n";
    for (int i = 1; i <= count; ++i) {
        io.out << i << '\t';
        // The stored fields are cut to their widths after trimming, and a
        // cut may end inside a run of blanks.
        WriteField(io.out, TrimTrailingBlanks(phrases[i].FileStem).toByteArray());
        io.out << '\t';
        WriteField(io.out, TrimTrailingBlanks(phrases[i].PhraseText).toByteArray());
        io.out << '\n';
    }
    return 0;
}
