#pragma once
// The exercise screen opened from a phrase screen on a small content of
// phrase files written by the test.
#include "app/CommonVar.h"
#include "exercise/Stress.h"
#include "navigation/Sentences.h"
#include "support/PhraseFileBytes.h"
#include "support/TutorFixture.h"

#include <QImage>

class ExerciseFixture : public TutorFixture
{
protected:
    void SetUp() override
    {
        TutorFixture::SetUp();
        UseFolders();
        for (const char* stem : {"10_01", "11_01", "11_02", "11_10"})
            WriteFile(QString("content/Sounds/%1.wav").arg(stem), testbytes::PhraseChunks{}.File());
    }

    // The phrase screen of a category with the phrase at position selected
    // (-1: none), and the exercise screen opened from it.
    Stress* Open(const QByteArray& category, int position)
    {
        CategoryCode = category;
        phrases = new Sentences("Category");
        phrases->show();
        if (position >= 0)
            phrases->ListOfPhrases->SelectPosition(position);
        phrases->OpenSelectedPhrase();
        auto* exercise = qobject_cast<Stress*>(VisibleScreen("Stress"));
        EXPECT_NE(exercise, nullptr);
        return exercise;
    }

    static int CountPixels(PictureBox* box, QRgb colour)
    {
        const QImage picture = box->Picture();
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += (picture.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return count;
    }

    static bool HasDrawing(PictureBox* box)
    {
        const QImage picture = box->Picture();
        return CountPixels(box, box->BackColor().rgb()) != picture.width() * picture.height();
    }

    Sentences* phrases = nullptr;
};
