#include "audio/MciSubs.h"

#include "audio/WaveCommands.h"

namespace {

WaveCommandInterpreter& Device()
{
    static WaveCommandInterpreter device(std::make_unique<NoAudioOutput>());
    return device;
}

} // namespace

int16_t SendMciCommand(const QString& Command, QString& Reply)
{
    QString text;
    int16_t code = Device().Execute(Command, text);
    if (code != MciOk) text = MciErrorText(code);
    // The reply travels in a buffer of fixed length, closed by a zero.
    Reply = QString(MciReplyLength, QChar(0));
    Reply.replace(0, std::min<qsizetype>(text.size(), MciReplyLength - 1), text);
    Reply = CutAtNull(Reply);
    return code;
}

QString CutAtNull(const QString& Text)
{
    const qsizetype zero = Text.indexOf(QChar(0));
    return zero < 0 ? Text : Text.left(zero);
}

QString MciErrorText(int16_t Code)
{
    switch (Code) {
    case MciOk:
        return {};
    case MciUnrecognizedKeyword:
        return QStringLiteral("The command holds a word the sound device does not understand.");
    case MciUnrecognizedCommand:
        return QStringLiteral("The sound device does not know this command.");
    case MciCannotPlay:
        return QStringLiteral("The sound output cannot play: there is no output device, or it "
                              "could not be opened.");
    case MciInvalidDeviceName:
        return QStringLiteral("No sound is open under that name.");
    case MciBadInteger:
        return QStringLiteral("A position in the command is not a whole number.");
    case MciMissingParameter:
        return QStringLiteral("The command is missing a value.");
    case MciFileNotFound:
        return QStringLiteral("The sound file cannot be opened.");
    case MciOutOfRange:
        return QStringLiteral("The position lies outside the sound.");
    case MciDuplicateAlias:
        return QStringLiteral("A sound is already open under that name.");
    case MciBadTimeFormat:
        return QStringLiteral("The time format is not known: use samples or milliseconds.");
    case MciInvalidFile:
        return QStringLiteral("The file holds no sound this device can play.");
    case MciFileNameRequired:
        return QStringLiteral("The open command names no file.");
    default:
        return QStringLiteral("The sound device reported error %1.").arg(Code);
    }
}

int64_t ReplyAsNumber(const QString& Reply)
{
    qsizetype at = 0;
    while (at < Reply.size() && (Reply[at] == ' ' || Reply[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < Reply.size() && (Reply[at] == '-' || Reply[at] == '+')) negative = Reply[at++] == '-';
    int64_t value = 0;
    for (int digits = 0; at < Reply.size() && digits < 18; ++at, ++digits) {
        const char16_t c = Reply[at].unicode();
        if (c < u'0' || c > u'9') break;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

bool WaveDeviceIsPlaying()
{
    return Device().IsPlaying();
}

void InstallAudioOutput(std::unique_ptr<AudioOutput> Output)
{
    Device().SetOutput(Output ? std::move(Output) : std::make_unique<NoAudioOutput>());
}
