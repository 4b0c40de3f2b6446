// Every status panel lies inside its view with its whole text, in the same
// place for every panel, at the design size, maximised and with a larger
// font (ctest runs this group again at 200 % scaling).
#include "exercise/ExerciseLoopFixture.h"

#include <QTest>

namespace {

class StatusDetailLayout : public ExerciseLoop
{
protected:
    static QRect RowArea(std::initializer_list<PictureBox*> views)
    {
        QRect area = (*views.begin())->geometry();
        for (PictureBox* view : views)
            area = area.intersected(view->geometry());
        return area;
    }

    static void ExpectInside(StatusDetail* detail, const QRect& view, const char* where)
    {
        EXPECT_TRUE(view.contains(detail->geometry()))
            << detail->objectName().toStdString() << " at " << where << ": "
            << detail->geometry().x() << "," << detail->geometry().y() << " "
            << detail->geometry().width() << "x" << detail->geometry().height() << " in "
            << view.x() << "," << view.y() << " " << view.width() << "x" << view.height();
        EXPECT_TRUE(detail->TextFitsWhole()) << detail->objectName().toStdString() << " at "
                                             << where << ": " << detail->Text().toStdString();
    }

    void ExpectAllInside(Stress* exercise, const char* where)
    {
        const QRect student =
            RowArea({exercise->StudentPitch, exercise->StudentStress, exercise->StudentSignal});
        const QRect native =
            RowArea({exercise->NativePitch, exercise->NativeStress, exercise->NativeSignal});
        for (StatusDetail* detail : {exercise->RecordingDetail, exercise->AnalysingDetail,
                                     exercise->ReasonDetail, exercise->VerdictDetail})
            ExpectInside(detail, student, where);
        ExpectInside(exercise->NoticeDetail, native, where);
        // One place: the student's panels share their strip of the view.
        EXPECT_EQ(exercise->RecordingDetail->geometry().bottom(),
                  exercise->ReasonDetail->geometry().bottom());
        EXPECT_EQ(exercise->AnalysingDetail->geometry().left(),
                  exercise->ReasonDetail->geometry().left());
    }

    static void FillTexts(Stress* exercise)
    {
        exercise->RecordingDetail->SetRecording(0.4, 0.3, true,
                                                "2.4 of 5.9 s - Done? Press R to stop");
        exercise->AnalysingDetail->SetText("Finding your steps and pitch...");
        exercise->ReasonDetail->SetText("Your recording was too loud. Speak a little softer, or "
                                        "move back from the microphone.");
        exercise->VerdictDetail->SetText(
            "Your take was cut off: you were still speaking when the time ran out.");
        exercise->ShowNotice(exercise->NativePitch, "No sound output device is available");
    }
};

} // namespace

TEST_F(StatusDetailLayout, PanelsStayInsideTheirViewsWithTheirWholeText)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(exercise));
    FillTexts(exercise);
    ExpectAllInside(exercise, "the design size");

    exercise->setWindowState(Qt::WindowMaximized);
    QTest::qWait(50);
    ASSERT_NE(exercise->size(), Stress::DesignInnerSize());
    ExpectAllInside(exercise, "maximised");

    exercise->setWindowState(Qt::WindowNoState);
    QTest::qWait(50);
    QFont larger = exercise->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.6);
    exercise->setFont(larger);
    FillTexts(exercise);
    ExpectAllInside(exercise, "a larger font");
}
