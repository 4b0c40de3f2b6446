#include "exercise/Stress.h"

#include "app/CommonVar.h"
#include "app/Tutor.h"
#include "navigation/ContentText.h"
#include "navigation/Sentences.h"

#include <QCloseEvent>
#include <QFile>

Stress::Stress()
{
    setObjectName("Stress");
    setWindowTitle("Tonvale Tutor");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(540, 382);
    PhraseLabel = new QLabel(this);
    PhraseLabel->setObjectName("PhraseLabel");
    PhraseLabel->setGeometry(8, 8, 524, 57);
    PhraseLabel->setWordWrap(true);
    FileNames = new QLabel(this);
    FileNames->setObjectName("FileNames");
    FileNames->setGeometry(8, 80, 524, 120);
    FileNames->setWordWrap(true);
}

void Stress::OpenFromPhraseList(int16_t windowState)
{
    Sentences* phrases = Sentences::Current();
    CurrentPhrase = ((phrases ? phrases->ListOfPhrases->SelectedPosition() : -1) + 1);
    if (CurrentPhrase < 0 || CurrentPhrase >= static_cast<int>(PhraseList.size()))
        CurrentPhrase = 0;
    const PhraseEntry& entry = PhraseList[CurrentPhrase];
    PhraseLabel->setText(DecodeContentText(TrimBlanks(entry.PhraseText).toByteArray()));
    NativeData.WaveFile = QFile::decodeName(TrimBlanks(entry.FileStem).toByteArray() + ".wav");
    FileNames->setText("Native Speaker: " + NativeData.WaveFile);
    MoveToFormPosition(*this);
    if (windowState == 2)
        showMaximized();
    else
        show();
}

void Stress::closeEvent(QCloseEvent* event)
{
    if (windowState() == Qt::WindowNoState)
        StoreFormPosition(*this);
    if (Sentences* phrases = Sentences::Current())
        phrases->ReturnFromExercise();
    event->accept();
}
