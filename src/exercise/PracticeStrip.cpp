#include "exercise/PracticeStrip.h"

#include <QGridLayout>

PracticeStrip::PracticeStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName("PracticeStrip");
    CompareOption = new QRadioButton("Compare", this);
    CompareOption->setObjectName("CompareOption");
    // The designed options are a group of their own; the screen makes this
    // one exclusive with them.
    CompareOption->setAutoExclusive(false);
    CompareOption->setAutoFillBackground(true);
    CompareOption->setStyleSheet("QRadioButton { background: rgb(224, 224, 224); color: black;"
                                 " padding-left: 6px; border: 1px solid rgb(90, 90, 90); }"
                                 "QRadioButton:focus { border: 3px solid rgb(255, 215, 0); }");
    CompareOption->setFixedHeight(27);
    HistoryButton = new ImageButton("History", QColor(255, 255, 207), this);
    HistoryButton->setObjectName("HistoryButton");
    HistoryButton->setFixedHeight(27);
    Feedback = new CompareFeedback(this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(CompareOption, 0, 0, Qt::AlignTop);
    grid->addWidget(HistoryButton, 1, 0, Qt::AlignTop);
    grid->addWidget(Feedback, 0, 1, 3, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnMinimumWidth(0, 144);
    grid->setColumnStretch(1, 1);
}

void PracticeStrip::PlaceUnder(int innerWidth, int innerHeight)
{
    setGeometry(0, innerHeight - StripHeight, innerWidth, StripHeight);
}
