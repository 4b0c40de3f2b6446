#pragma once
// Marks on the navigation lists for what the learner has practised: beside
// a phrase its best score (with a tick once mastered), beside a category how
// many of its phrases were practised and the best score. The marks are drawn
// at the right end of a row by the lists' delegate and read out as the row's
// description; the rows' texts, their order and the keys stay as they are,
// so a learner sees at a glance the phrases still to master.
#include "history/PracticeHistory.h"

#include <QColor>
#include <QStyledItemDelegate>

class QListWidget;

inline constexpr int PracticeMarkRole = Qt::UserRole + 41;
inline constexpr int PracticeMasteredRole = Qt::UserRole + 42;
// The marks' backgrounds: mastered, and still to master.
inline const QColor MasteredMarkColour{200, 240, 200};
inline const QColor PractisingMarkColour{255, 236, 190};

QString PhraseMark(const PhraseProgress& progress);
QString CategoryMark(const CategoryProgress& progress);

// Sets the marks of the phrase list's rows (row i holds the phrase of stem
// stems[i]) from the history; rows not practised get none. Without a
// history nothing is marked.
void MarkPractisedPhrases(QListWidget& list, PracticeHistory* history, const QString& contentPack,
                          const QString& categoryCode, const QStringList& stems);
// The same for a list of tree nodes: codes[i] is row i's category code,
// empty for a topic.
void MarkPractisedCategories(QListWidget& list, PracticeHistory* history,
                             const QString& contentPack, const QStringList& codes);

// The history the navigation screens read their marks from: the learner's,
// opened to read only (browsing never creates it, and changes it only to
// bring a history of an earlier tutor up to date); null when there is none yet.
PracticeHistory* MarksHistory();

// The content pack the learner's history files the open course's phrases
// under (see practice/CourseHistory.h). The first time a course known by its
// identity is met, its phrases filed under its folder's name by an earlier
// tutor are filed under its identity, so the learner's marks stay.
QString OpenCoursePack();

class PracticeMarkDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
