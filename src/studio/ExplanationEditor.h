#pragma once
// A small rich-text editor for one explanation (a help topic's body): bold,
// italic, bulleted and numbered lists. What it holds is handed on as the
// closed set of HTML the help document keeps (CourseHelp.h) when the editor
// loses the keyboard or another topic is loaded, never while typing, so one
// stretch of writing is one undo step of the course.
#include <QWidget>

class QAction;
class QLabel;
class QTextEdit;
class QToolBar;

class ExplanationEditor : public QWidget
{
    Q_OBJECT
public:
    explicit ExplanationEditor(QWidget* parent = nullptr);

    QLabel* TopicLabel;
    QTextEdit* Text;
    QAction* BoldAction;
    QAction* ItalicAction;
    QAction* BulletsAction;
    QAction* NumbersAction;

    // Shows an explanation for editing; the one shown before is committed
    // first. An empty title disables the editor.
    void Load(const QString& title, const QString& html, bool editable);
    // Hands on the text when it changed since it was loaded.
    void Commit();
    // The folder of the course's help document, from which alone pictures load.
    void SetHelpFolder(const QString& folder);

signals:
    void Committed(const QString& html);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ToggleList(bool numbered);
    void ShowFormat();

    QString loadedHtml;
    bool loading = false;
};
