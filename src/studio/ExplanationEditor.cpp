#include "studio/ExplanationEditor.h"

#include "course/CourseHelp.h"
#include "platform/HelpResources.h"
#include "widgets/UntrustedText.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
// A course's explanation is another teacher's HTML: its pictures load only
// from the course's own folder, as in the tutor's help window.
class ExplanationText : public QTextEdit
{
public:
    using QTextEdit::QTextEdit;
    QVariant loadResource(int type, const QUrl& name) override
    {
        return LoadCourseResource(type, name, HelpFolder);
    }

    QString HelpFolder;
};
} // namespace

ExplanationEditor::ExplanationEditor(QWidget* parent) : QWidget(parent)
{
    TopicLabel = new QLabel(this);
    TopicLabel->setObjectName("ExplanationTopic");
    TopicLabel->setTextFormat(Qt::PlainText); // it quotes the phrase as written
    Text = new ExplanationText(this);
    Text->setObjectName("ExplanationText");
    Text->setAcceptRichText(false); // pasted HTML would bring markup the help keeps out
    Text->setAccessibleName("Explanation");
    Text->setTabChangesFocus(true);
    TopicLabel->setBuddy(Text);
    auto* tools = new QToolBar(this);
    tools->setObjectName("ExplanationTools");
    BoldAction = tools->addAction("Bold");
    ItalicAction = tools->addAction("Italic");
    BulletsAction = tools->addAction("Bullets");
    NumbersAction = tools->addAction("Numbers");
    BoldAction->setShortcut(QKeySequence::Bold);
    ItalicAction->setShortcut(QKeySequence::Italic);
    BulletsAction->setShortcut(QKeySequence("Ctrl+Shift+8"));
    NumbersAction->setShortcut(QKeySequence("Ctrl+Shift+7"));
    // The keys work while the text has the keyboard, not only the tool bar.
    addActions({BoldAction, ItalicAction, BulletsAction, NumbersAction});
    for (QAction* action : {BoldAction, ItalicAction, BulletsAction, NumbersAction}) {
        action->setCheckable(true);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setToolTip(QString("%1 (%2)").arg(
            action->text(), action->shortcut().toString(QKeySequence::NativeText)));
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TopicLabel);
    layout->addWidget(tools);
    layout->addWidget(Text, 1);

    connect(BoldAction, &QAction::triggered, this,
            [this](bool on) { Text->setFontWeight(on ? QFont::Bold : QFont::Normal); });
    connect(ItalicAction, &QAction::triggered, this, [this](bool on) { Text->setFontItalic(on); });
    connect(BulletsAction, &QAction::triggered, this, [this] { ToggleList(false); });
    connect(NumbersAction, &QAction::triggered, this, [this] { ToggleList(true); });
    connect(Text, &QTextEdit::cursorPositionChanged, this, &ExplanationEditor::ShowFormat);
    connect(Text, &QTextEdit::currentCharFormatChanged, this, &ExplanationEditor::ShowFormat);
    Text->installEventFilter(this);
    Load({}, {}, false);
}

void ExplanationEditor::SetHelpFolder(const QString& folder)
{
    static_cast<ExplanationText*>(Text)->HelpFolder = folder;
}

void ExplanationEditor::Load(const QString& title, const QString& html, bool editable)
{
    Commit();
    loading = true;
    // Links, pictures and the like would not survive an edit here.
    // Nested tables beyond a few levels would hold the studio for minutes.
    const bool showable = !HelpTablesNestTooDeep(html);
    const bool keepable = showable && ExplanationIsEditable(html);
    TopicLabel->setText(title.isEmpty() ? QString("No explanation here")
                        : !showable ? title + " (tables within tables too deep to show: edit it "
                                              "in Help/TVTutor.hlp)"
                        : editable && !keepable
                            ? title + " (links or pictures: edit it in Help/TVTutor.hlp)"
                            : title);
    if (showable)
        Text->setHtml(html);
    else
        Text->clear();
    loadedHtml = ExplanationHtml(*Text->document());
    Text->document()->clearUndoRedoStacks();
    const bool enabled = editable && keepable && !title.isEmpty();
    Text->setReadOnly(!enabled);
    Text->setEnabled(!title.isEmpty());
    for (QAction* action : {BoldAction, ItalicAction, BulletsAction, NumbersAction})
        action->setEnabled(enabled);
    loading = false;
    ShowFormat();
}

void ExplanationEditor::Commit()
{
    if (loading || Text->isReadOnly()) return;
    const QString html = ExplanationHtml(*Text->document());
    if (html == loadedHtml) return;
    loadedHtml = html;
    emit Committed(html);
}

bool ExplanationEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text && event->type() == QEvent::FocusOut) Commit();
    return QWidget::eventFilter(watched, event);
}

void ExplanationEditor::ToggleList(bool numbered)
{
    QTextCursor cursor = Text->textCursor();
    const QTextListFormat::Style style =
        numbered ? QTextListFormat::ListDecimal : QTextListFormat::ListDisc;
    if (QTextList* list = cursor.currentList();
        list != nullptr && list->format().style() == style) {
        // Out of the list: the block becomes a paragraph again.
        QTextBlockFormat plain;
        plain.setIndent(0);
        list->remove(cursor.block());
        cursor.setBlockFormat(plain);
    } else {
        cursor.createList(style);
    }
    ShowFormat();
}

void ExplanationEditor::ShowFormat()
{
    const QTextCharFormat format = Text->currentCharFormat();
    BoldAction->setChecked(format.fontWeight() >= QFont::Bold);
    ItalicAction->setChecked(format.fontItalic());
    const QTextList* list = Text->textCursor().currentList();
    BulletsAction->setChecked(list && list->format().style() != QTextListFormat::ListDecimal);
    NumbersAction->setChecked(list && list->format().style() == QTextListFormat::ListDecimal);
}
