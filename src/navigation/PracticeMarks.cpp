#include "navigation/PracticeMarks.h"

#include "app/CommonVar.h"
#include "navigation/NavigationList.h"
#include "practice/CourseHistory.h"

#include <QCoreApplication>
#include <QHash>
#include <QListWidget>
#include <QPainter>

#include <memory>

namespace {

constexpr int MarkPadding = 6; // pixels each side of a mark's text

void SetMark(QListWidgetItem& item, const QString& mark, bool mastered)
{
    item.setData(PracticeMarkRole, mark.isEmpty() ? QVariant() : QVariant(mark));
    item.setData(PracticeMasteredRole, mastered);
    item.setData(Qt::AccessibleDescriptionRole, mark.isEmpty() ? QVariant() : QVariant(mark));
}

} // namespace

QString PhraseMark(const PhraseProgress& progress)
{
    if (!progress.BestScore) return QStringLiteral("practised");
    return QString("best %1%2").arg(*progress.BestScore).arg(progress.Mastered() ? " ✓" : "");
}

QString CategoryMark(const CategoryProgress& progress)
{
    QString mark = QString("%1 practised").arg(progress.PhrasesPractised);
    if (progress.BestScore) mark += QString(" · best %1").arg(*progress.BestScore);
    return mark;
}

void MarkPractisedPhrases(QListWidget& list, PracticeHistory* history, const QString& contentPack,
                          const QString& categoryCode, const QStringList& stems)
{
    std::vector<PhraseProgress> phrases;
    if (history != nullptr) history->PhrasesOfCategory(contentPack, categoryCode, phrases);
    QHash<QString, const PhraseProgress*> byStem;
    for (const PhraseProgress& phrase : phrases)
        byStem.insert(phrase.Key.Stem, &phrase);
    for (int row = 0; row < list.count() && row < stems.size(); ++row) {
        const PhraseProgress* progress = byStem.value(stems[row], nullptr);
        SetMark(*list.item(row), progress ? PhraseMark(*progress) : QString(),
                progress && progress->Mastered());
    }
}

void MarkPractisedCategories(QListWidget& list, PracticeHistory* history,
                             const QString& contentPack, const QStringList& codes)
{
    std::vector<CategoryProgress> categories;
    if (history != nullptr) history->Categories(categories);
    QHash<QString, const CategoryProgress*> byCode;
    for (const CategoryProgress& category : categories) {
        if (category.ContentPack == contentPack) byCode.insert(category.CategoryCode, &category);
    }
    for (int row = 0; row < list.count() && row < codes.size(); ++row) {
        const CategoryProgress* progress =
            codes[row].isEmpty() ? nullptr : byCode.value(codes[row], nullptr);
        SetMark(*list.item(row), progress ? CategoryMark(*progress) : QString(),
                progress && progress->BestScore && *progress->BestScore >= MasteredScore);
    }
}

PracticeHistory* MarksHistory()
{
    static std::unique_ptr<PracticeHistory> history;
    static QString openedFile;
    const QString file = DefaultHistoryDatabase();
    if (!history) qAddPostRoutine([] { history.reset(); });
    if (!history || openedFile != file) {
        history = std::make_unique<PracticeHistory>(file);
        openedFile = file;
    }
    // Opened afresh when it did not open before: the first take creates it.
    if (!history->IsOpen() && history->Open(HistoryAccess::Read) == HistoryOutdated) {
        // A history an earlier tutor wrote is brought up to date once, or
        // the learner's marks would stay hidden until the next take.
        if (history->Open(HistoryAccess::Write) == HistoryOk) history->Open(HistoryAccess::Read);
    }
    return history->IsOpen() ? history.get() : nullptr;
}

QString OpenCoursePack()
{
    // Once for each course and history: a later refiling would have nothing
    // left to find. A busy history is tried again on the next list shown.
    static QHash<QString, QString> packs;
    const QString database = DefaultHistoryDatabase();
    const QString pair = database + '\n' + ContentRoot;
    if (const auto known = packs.constFind(pair); known != packs.constEnd()) return *known;
    const int32_t refiled = AdoptFolderNamedPhrases(database, ContentRoot);
    if (refiled == HistoryBusy) return HistoryPackOf(ContentRoot);
    // A history that cannot take the refiling (a full disk, read-only media)
    // still holds the course's phrases under its folder's name: the course
    // stays there, or its marks and takes would be out of reach.
    const QString pack =
        refiled == HistoryOk ? HistoryPackOf(ContentRoot) : ContentPackOf(ContentRoot);
    packs.insert(pair, pack);
    return pack;
}

void PracticeMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    const QString mark = index.data(PracticeMarkRole).toString();
    if (mark.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QFontMetrics metrics(option.font);
    const int markWidth = metrics.horizontalAdvance(mark) + 2 * MarkPadding;
    // The row's own text keeps the rest of the row; the mark stands apart.
    QStyleOptionViewItem textOption(option);
    textOption.rect.setRight(option.rect.right() - markWidth);
    QStyledItemDelegate::paint(painter, textOption, index);

    const QRect markRect(option.rect.right() - markWidth + 1, option.rect.top() + 1, markWidth - 2,
                         option.rect.height() - 2);
    const bool mastered = index.data(PracticeMasteredRole).toBool();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(mastered ? MasteredMarkColour : PractisingMarkColour);
    painter->drawRoundedRect(markRect, 4, 4);
    painter->setPen(mastered ? QColor(0, 90, 0) : QColor(120, 70, 0));
    painter->setFont(option.font);
    painter->drawText(markRect, Qt::AlignCenter, mark);
    painter->restore();
}

QSize PracticeMarkDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // Rows are sized alike from one sample row: a list given a horizontal
    // extent makes every row wide enough for its widest text.
    if (const auto* list = qobject_cast<const NavigationList*>(option.widget);
        list && list->HorizontalExtent() > 0) {
        const int margins =
            size.width() - QFontMetrics(option.font).horizontalAdvance(index.data().toString());
        size.setWidth(std::max(size.width(), list->HorizontalExtent() + margins));
    }
    const QString mark = index.data(PracticeMarkRole).toString();
    if (!mark.isEmpty())
        size.rwidth() += QFontMetrics(option.font).horizontalAdvance(mark) + 2 * MarkPadding;
    return size;
}
