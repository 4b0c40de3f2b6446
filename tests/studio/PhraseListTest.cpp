// A category's phrases in the studio: imported recordings become listed
// phrase files with their views, texts and explanations reach the pack, the
// original recording is never touched, and deleting is undone.
#include "audio/LoadedPhrase.h"
#include "authoring/ContentLint.h"
#include "course/CourseTestSupport.h"
#include "studio/ExplanationEditor.h"
#include "studio/PhrasePanel.h"
#include "studio/PhraseViews.h"
#include "studio/StudioFixture.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

namespace {

int DrawnPixels(PictureBox* box)
{
    const QImage picture = box->Picture();
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            drawn += (picture.pixel(x, y) & 0xFFFFFF) != (box->BackColor().rgb() & 0xFFFFFF);
    return drawn;
}

} // namespace

class StudioPhraseList : public StudioFixture
{
protected:
    bool Import(const QString& recording, const QString& text, const QString& syllables = {})
    {
        PhrasePanel* panel = window->Panel;
        if (!panel->ImportPhrase(recording, text, syllables)) return false;
        panel->WaitUntilIdle();
        QCoreApplication::processEvents();
        return true;
    }
};

TEST_F(StudioPhraseList, ImportedRecordingsBecomePhrasesWithTheirViewsTextsAndExplanations)
{
    PhrasePanel* panel = window->Panel;
    window->Tree->SelectPath({1});
    ASSERT_EQ(panel->Entry(), NodePath({1}));
    const QString recording = dir.filePath("take.wav");
    ASSERT_TRUE(WriteVoiceRecording(recording, 44100, 1.5));
    const QByteArray original = ReadBytes(recording);

    ASSERT_TRUE(Import(recording, "photograph", "PHO|to"));
    ASSERT_TRUE(Import(recording, "photographer"));
    EXPECT_EQ(ReadBytes(recording), original);
    ASSERT_EQ(panel->ListOfPhrases->count(), 2) << Problem().toStdString();
    EXPECT_EQ(panel->ListOfPhrases->item(0)->text(), "photograph");
    EXPECT_TRUE(PackFile("Sounds/SentList.txt")
                    .contains("11_01.wav;photograph\r\n"
                              "11_02.wav;photographer\r\n"));
    EXPECT_EQ(panel->ListOfPhrases->currentRow(), 1);
    for (PictureBox* view :
         {panel->Views->NativePitch, panel->Views->NativeStress, panel->Views->NativeSignal})
        EXPECT_GT(DrawnPixels(view), 20) << view->objectName().toStdString();
    // The silence before the voice was trimmed to a short margin.
    const LoadedPhrase* phrase = panel->Views->Phrase();
    ASSERT_NE(phrase, nullptr);
    EXPECT_LT(phrase->Phrase.PhraseStart, 22050 * 0.5);

    // A new text reaches the list and the phrase file itself.
    panel->PhraseText->setText("photographic");
    emit panel->PhraseText->editingFinished();
    EXPECT_TRUE(PackFile("Sounds/SentList.txt").contains("11_02.wav;photographic\r\n"));
    LoadedPhrase file;
    ASSERT_EQ(file.Read(course + "/Sounds/11_02.wav"), PhraseFileOk);
    EXPECT_EQ(file.Text, "photographic");

    // The explanation becomes help topic 1102.
    panel->Explanation->Text->setPlainText("Stress the third syllable <here>.");
    panel->Explanation->Commit();
    const QString help = QString::fromUtf8(PackFile("Help/TVTutor.hlp"));
    EXPECT_TRUE(help.contains("<a name=\"1102\"></a>photographic</h3>\n<p>Stress the third "
                              "syllable &lt;here&gt;.</p>"))
        << help.toStdString();
    for (const LintFinding& finding : LintContent(course))
        EXPECT_NE(finding.Severity, LintSeverity::Error)
            << FormatLintFinding(finding).toStdString();

    panel->ListOfPhrases->setCurrentRow(0);
    panel->DeletePhraseButton_Click();
    EXPECT_EQ(panel->ListOfPhrases->count(), 1);
    window->UndoAction->trigger();
    EXPECT_EQ(panel->ListOfPhrases->count(), 2);
}

TEST_F(StudioPhraseList, ARecordingThatIsNoVoiceIsRefusedAndChangesNothing)
{
    PhrasePanel* panel = window->Panel;
    window->Tree->SelectPath({1});
    const QString noise = dir.filePath("noise.wav");
    ASSERT_TRUE(WriteBytes(noise, "this is no sound file at all"));
    const QByteArray list = PackFile("Sounds/SentList.txt");
    ASSERT_TRUE(Import(noise, "anything"));
    EXPECT_TRUE(Problem().contains("not used")) << Problem().toStdString();
    EXPECT_EQ(panel->ListOfPhrases->count(), 0);
    EXPECT_EQ(PackFile("Sounds/SentList.txt"), list);
    EXPECT_FALSE(QFile::exists(course + "/Sounds/11_01.wav"));
    EXPECT_FALSE(panel->ImportPhrase(noise, "two\nlines", {}));
}

// Texts are saved when their field loses the keyboard; closing the window
// (or a shortcut) takes it away from none, and must not lose the typing.
TEST_F(StudioPhraseList, ClosingTheWindowSavesWhatIsBeingTyped)
{
    PhrasePanel* panel = window->Panel;
    window->Tree->SelectPath({1});
    const QString recording = dir.filePath("take.wav");
    ASSERT_TRUE(WriteVoiceRecording(recording, 22050, 0.3));
    ASSERT_TRUE(Import(recording, "photograph"));
    ASSERT_EQ(panel->ListOfPhrases->count(), 1) << Problem().toStdString();

    panel->PhraseText->selectAll();
    QTest::keyClicks(panel->PhraseText, "photographer");
    QTest::keyClicks(panel->Explanation->Text, "Stress the second syllable.");
    ASSERT_TRUE(window->close()) << Problem().toStdString();
    EXPECT_TRUE(PackFile("Sounds/SentList.txt").contains("11_01.wav;photographer\r\n"));
    EXPECT_TRUE(PackFile("Help/TVTutor.hlp").contains("Stress the second syllable."));
}

// While a recording is analysed, another is refused (the menus' keys reach
// the panel even when its buttons are disabled), and a change to the tree
// meanwhile does not send the phrase to another category.
TEST_F(StudioPhraseList, AnImportBeingAnalysedKeepsItsTextAndCategory)
{
    PhrasePanel* panel = window->Panel;
    window->Tree->SelectPath({1});
    const QString recording = dir.filePath("take.wav");
    ASSERT_TRUE(WriteVoiceRecording(recording, 22050, 0.3));
    ASSERT_TRUE(panel->ImportPhrase(recording, "photograph", {}));
    EXPECT_FALSE(panel->ImportPhrase(recording, "telegraph", {}));
    EXPECT_TRUE(Problem().contains("being analysed")) << Problem().toStdString();
    ASSERT_EQ(window->Document().AddCategory({}, 1, "Other"), "");
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();

    EXPECT_TRUE(PackFile("Sounds/SentList.txt").contains("11_01.wav;photograph\r\n"));
    const Course& course = window->Document().Current();
    ASSERT_EQ(course.Root.Children.size(), 3u);
    EXPECT_EQ(course.Root.Children[2].Code, "11");
    ASSERT_EQ(course.Root.Children[2].Phrases.size(), 1u);
    EXPECT_EQ(course.Root.Children[2].Phrases[0].Text, "photograph");
    EXPECT_TRUE(course.Root.Children[1].Phrases.empty());
}

// Teachers name recordings after their phrases; only the extension goes.
TEST(ImportedText, IsTheRecordingsNameWithoutItsExtension)
{
    EXPECT_EQ(SuggestedPhraseText("/home/ann/Mr. Brown is here.wav"), "Mr. Brown is here");
    EXPECT_EQ(SuggestedPhraseText("01. Good morning.flac"), "01. Good morning");
    EXPECT_EQ(SuggestedPhraseText("photograph.take2.wav"), "photograph.take2");
}

// The editor hands back only paragraphs, bold, italic and lists: an
// explanation written by hand with a link or a picture stays as it is.
TEST(ExplanationEditing, AnExplanationWithLinksOrPicturesIsNotOpenedForEditing)
{
    ExplanationEditor editor;
    editor.Load("Explanation", "<p>Say it <b>twice</b>.</p><ul><li>once</li></ul>", true);
    EXPECT_FALSE(editor.Text->isReadOnly());
    for (const char* html : {"<p>See <a href=\"https://example.org/\">this</a>.</p>",
                             "<p><img src=\"stress.png\"></p>", "<h4>Note</h4><p>x</p>",
                             "<p>x<br title=\"<b>\"></p>"}) {
        editor.Load("Explanation", html, true);
        EXPECT_TRUE(editor.Text->isReadOnly()) << html;
        EXPECT_TRUE(editor.TopicLabel->text().contains("Help/TVTutor.hlp")) << html;
    }
}

// An explanation is another teacher's HTML: its pictures come from the
// course's Help folder alone (one naming /dev/zero crashed the studio), and
// tables within tables too deep to lay out are not shown.
TEST(ExplanationEditing, AnExplanationLoadsNothingFromOutsideTheCourse)
{
    QTemporaryDir dir;
    const QString help = dir.filePath("course/Help");
    QDir().mkpath(help);
    for (const QString& file : {help + "/inside.png", dir.filePath("outside.png")}) {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(file, "PNG"));
    }
    ExplanationEditor editor;
    editor.SetHelpFolder(help);
    editor.Load("<b>record</b>",
                QString("<p><img src=\"inside.png\"><img src=\"%1\"></p>").arg(dir.filePath("outside.png")),
                true);
    editor.show();
    QApplication::processEvents();
    const auto shown = [&editor](const QString& name) {
        const QVariant loaded =
            editor.Text->document()->resource(QTextDocument::ImageResource, QUrl(name));
        return loaded.canConvert<QImage>() ? loaded.value<QImage>()
                                           : QImage::fromData(loaded.toByteArray());
    };
    EXPECT_EQ(shown("inside.png").size(), QSize(4, 4));
    EXPECT_NE(shown(dir.filePath("outside.png")).size(), QSize(4, 4));
    EXPECT_GE(editor.TopicLabel->sizeHint().width(),
              editor.TopicLabel->fontMetrics().horizontalAdvance("<b>record</b>"));

    const QString deep = QString("<table><tr><td>").repeated(12) + "x" +
                         QString("</td></tr></table>").repeated(12);
    editor.Load("Explanation", deep, true);
    EXPECT_TRUE(editor.Text->isReadOnly());
    EXPECT_TRUE(editor.TopicLabel->text().contains("Help/TVTutor.hlp"));
    EXPECT_TRUE(editor.Text->toPlainText().isEmpty());
}
