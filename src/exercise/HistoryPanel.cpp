#include "exercise/HistoryPanel.h"

#include "exercise/TutorPractice.h"
#include "history/ScoreChart.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

QString MarkText(const std::optional<bool>& match)
{
    if (!match) return QStringLiteral("–");
    return *match ? QStringLiteral("✓ same") : QStringLiteral("✗ differs");
}

QString MarkWords(const char* what, const std::optional<bool>& match)
{
    if (!match) return QString("%1 not compared").arg(what);
    return QString("%1 %2 the native speaker's").arg(what, *match ? "as" : "unlike");
}

} // namespace

// A dialog's window, so that the window manager keeps it above its owner
// (a plain window with an owner is stacked as any other), resizable and
// maximisable as the list grows.
HistoryPanel::HistoryPanel(QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName("HistoryPanel");
    setWindowTitle("History - Tonvale Tutor");
    setAccessibleName("History");
    resize(460, 440);

    TitleLabel = new QLabel(this);
    TitleLabel->setTextFormat(Qt::PlainText); // it quotes the phrase as written
    TitleLabel->setObjectName("HistoryTitle");
    TitleLabel->setWordWrap(true);
    QFont titleFont = TitleLabel->font();
    titleFont.setBold(true);
    TitleLabel->setFont(titleFont);

    TakeList = new QTreeWidget(this);
    TakeList->setObjectName("TakeList");
    TakeList->setAccessibleName("Your takes, newest first");
    TakeList->setColumnCount(ColumnCount);
    TakeList->setHeaderLabels({"Date", "Score", "Stress", "Ending"});
    TakeList->setRootIsDecorated(false);
    TakeList->setSelectionMode(QAbstractItemView::SingleSelection);
    TakeList->setAllColumnsShowFocus(true);
    TakeList->header()->setSectionResizeMode(DateColumn, QHeaderView::Stretch);
    for (int column : {ScoreColumn, StressColumn, EndingColumn})
        TakeList->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    TakeList->header()->setStretchLastSection(false);

    ScoreChart = new PictureBox(this);
    ScoreChart->setObjectName("ScoreChart");
    ScoreChart->setAccessibleName("Your scores over your takes");
    ScoreChart->setFixedHeight(110);
    ScoreChart->SetBackColor(ScoreChartColours{}.Back);

    PlayButton = new QPushButton("&Play", this);
    ShowButton = new QPushButton("&Show", this);
    ForgetButton = new QPushButton("&Forget this phrase's history", this);
    CloseButton = new QPushButton("Close", this);
    PlayButton->setObjectName("PlayTakeButton");
    ShowButton->setObjectName("ShowTakeButton");
    ForgetButton->setObjectName("ForgetHistoryButton");
    CloseButton->setObjectName("CloseHistoryButton");
    PlayButton->setToolTip("Play the chosen take (Alt+P)");
    ShowButton->setToolTip("Show the chosen take in your views, compared with the native "
                           "speaker again (Alt+S, or Return)");
    ForgetButton->setToolTip("Delete every kept take of this phrase and its counts");
    CloseButton->setToolTip("Close the history (Esc or H)");

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName("HistoryStatus");
    StatusLabel->setTextFormat(Qt::PlainText); // it may name files and folders
    StatusLabel->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PlayButton);
    buttons->addWidget(ShowButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(TitleLabel);
    column->addWidget(TakeList, 1);
    column->addWidget(ScoreChart);
    column->addLayout(buttons);
    column->addWidget(ForgetButton, 0, Qt::AlignLeft);
    column->addWidget(StatusLabel);

    connect(TakeList, &QTreeWidget::itemSelectionChanged, this, [this] {
        forgetArmed = false;
        UpdateButtons();
    });
    connect(TakeList, &QTreeWidget::itemActivated, this, [this] { ShowButton->click(); });
    connect(PlayButton, &QPushButton::clicked, this, [this] {
        if (const StoredTake* take = SelectedTake()) emit PlayRequested(*take);
    });
    connect(ShowButton, &QPushButton::clicked, this, [this] {
        if (const StoredTake* take = SelectedTake()) emit ShowRequested(*take);
    });
    connect(ForgetButton, &QPushButton::clicked, this, &HistoryPanel::Forget_Click);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    // H closes the window as it opened it; the take list, which has the
    // focus, would otherwise take the letter for a search among its rows.
    auto* closeKey = new QShortcut(QKeySequence(Qt::Key_H), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
    UpdateButtons();
}

QString HistoryPanel::TakeDate(const StoredTake& take)
{
    return QLocale().toString(take.RecordedAt.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void HistoryPanel::ShowPhrase(PracticeHistory* history, const PhraseKey& key,
                              const QString& phraseText, const QString& unavailable)
{
    this->history = history;
    this->key = key;
    this->phraseText = phraseText;
    forgetArmed = false;
    TitleLabel->setText(QString("Your takes of \"%1\"").arg(phraseText));
    Reload();
    if (history == nullptr) {
        SetStatus(unavailable);
    } else if (const QString started = TutorPractice().TakeStartNotice(); !started.isEmpty()) {
        // A history just begun beside a damaged one is empty: say why, once.
        SetStatus(started);
    }
}

void HistoryPanel::Reload()
{
    takes.clear();
    attempts = 0;
    SetStatus(QString());
    std::vector<PhraseProgress> phrases;
    if (history != nullptr &&
        (history->TakesOf(key, takes) != HistoryOk ||
         history->PhrasesOfCategory(key.ContentPack, key.CategoryCode, phrases) != HistoryOk))
        SetStatus("Your history could not be read.");
    for (const PhraseProgress& phrase : phrases) {
        if (phrase.Key == key) attempts = phrase.Attempts;
    }
    FillList();
    DrawChart();
}

void HistoryPanel::FillList()
{
    TakeList->clear();
    for (const StoredTake& take : takes) {
        const QString score = take.Marks.Score ? QString::number(*take.Marks.Score) : "–";
        auto* row =
            new QTreeWidgetItem(TakeList, {TakeDate(take), score, MarkText(take.Marks.StressMatch),
                                           MarkText(take.Marks.EndingMatch)});
        row->setTextAlignment(ScoreColumn, Qt::AlignRight | Qt::AlignVCenter);
        const QString said = QString("%1, score %2, %3, %4")
                                 .arg(TakeDate(take), score == "–" ? QString("none") : score,
                                      MarkWords("stress", take.Marks.StressMatch),
                                      MarkWords("ending", take.Marks.EndingMatch));
        for (int column = 0; column < ColumnCount; ++column)
            row->setData(column, Qt::AccessibleTextRole, said);
    }
    if (!takes.empty()) SelectRow(0);
    if (takes.empty() && history != nullptr && attempts > 0)
        SetStatus(QString("%1 %2, none kept: every take the analyser accepts is kept here.")
                      .arg(attempts)
                      .arg(attempts == 1 ? "attempt" : "attempts"));
    else if (takes.empty() && history != nullptr)
        SetStatus("No takes kept yet: every take the analyser accepts is kept here.");
    UpdateButtons();
}

void HistoryPanel::DrawChart()
{
    DrawScoreChart(ScoreChart->PictureCanvas(), takes);
    int scored = 0;
    for (const StoredTake& take : takes)
        scored += take.Marks.Score ? 1 : 0;
    ScoreChart->setAccessibleDescription(
        scored == 0
            ? QString("No scores yet")
            : QString("%1 scores, oldest at the left; the latest is %2")
                  .arg(scored)
                  .arg(takes.front().Marks.Score ? QString::number(*takes.front().Marks.Score)
                                                 : QString("not scored")));
    ScoreChart->update();
}

void HistoryPanel::SetStatus(const QString& text)
{
    StatusLabel->setText(text);
    StatusLabel->setVisible(!text.isEmpty());
}

const StoredTake* HistoryPanel::SelectedTake() const
{
    const QList<QTreeWidgetItem*> selected = TakeList->selectedItems();
    if (selected.isEmpty()) return nullptr;
    const int row = TakeList->indexOfTopLevelItem(selected.front());
    return row >= 0 && row < int(takes.size()) ? &takes[size_t(row)] : nullptr;
}

void HistoryPanel::SelectRow(int row)
{
    if (QTreeWidgetItem* item = TakeList->topLevelItem(row)) {
        TakeList->setCurrentItem(item);
        item->setSelected(true);
    }
}

void HistoryPanel::UpdateButtons()
{
    const bool chosen = SelectedTake() != nullptr;
    PlayButton->setEnabled(chosen);
    ShowButton->setEnabled(chosen);
    ForgetButton->setEnabled(history != nullptr && (!takes.empty() || attempts > 0));
    // The armed text keeps the key of the first press: Alt+F twice forgets.
    ForgetButton->setText(forgetArmed ? "Press again to &forget every take"
                                      : "&Forget this phrase's history");
}

void HistoryPanel::Forget_Click()
{
    if (history == nullptr) return;
    // Deleting takes cannot be undone: the first press only asks.
    if (!forgetArmed) {
        forgetArmed = true;
        UpdateButtons();
        SetStatus("This deletes every kept take of this phrase. Press the button again to do it.");
        return;
    }
    forgetArmed = false;
    const int32_t result = history->ForgetPhrase(key);
    Reload();
    if (result != HistoryOk) {
        SetStatus("The history of this phrase could not be deleted.");
        return;
    }
    SetStatus("The history of this phrase is deleted.");
    emit Forgotten(key);
}

void HistoryPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    DrawChart();
}

void HistoryPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

namespace {

int CoveredArea(const QRect& place, const QRect& kept)
{
    const QRect both = place.intersected(kept);
    return both.isEmpty() ? 0 : both.width() * both.height();
}

// Every place worth trying at one size: beside the exercise, against each
// button, and at the screen's edges, pulled onto the screen.
std::vector<QRect> CandidatePlaces(const QRect& screenArea, const QRect& exerciseFrame,
                                   const std::vector<QRect>& buttons, const QSize& size)
{
    constexpr int gap = 8;
    std::vector<int> lefts = {exerciseFrame.right() + 1 + gap,
                              exerciseFrame.left() - gap - size.width(), exerciseFrame.left(),
                              screenArea.left(), screenArea.right() + 1 - size.width()};
    std::vector<int> tops = {exerciseFrame.top(), screenArea.top(),
                             screenArea.bottom() + 1 - size.height()};
    for (const QRect& button : buttons) {
        lefts.push_back(button.left() - gap - size.width());
        lefts.push_back(button.right() + 1 + gap);
        tops.push_back(button.top() - gap - size.height());
        tops.push_back(button.bottom() + 1 + gap);
    }
    std::vector<QRect> places;
    for (int left : lefts) {
        for (int top : tops) {
            const int x =
                std::clamp(left, screenArea.left(), screenArea.right() + 1 - size.width());
            const int y =
                std::clamp(top, screenArea.top(), screenArea.bottom() + 1 - size.height());
            places.emplace_back(x, y, size.width(), size.height());
        }
    }
    return places;
}

} // namespace

QRect HistoryWindowPlace(const QRect& screenArea, const QRect& exerciseFrame,
                         const QRect& nativeViews, const std::vector<QRect>& buttons,
                         const QSize& size, const QSize& smallest)
{
    const QSize full = size.boundedTo(screenArea.size());
    // Smaller only when no place at full size leaves the buttons free.
    for (const double scale : {1.0, 0.85, 0.7}) {
        const QSize tried = (QSizeF(full) * scale).toSize().expandedTo(smallest).boundedTo(full);
        std::optional<QRect> best;
        int bestCost = 0;
        for (const QRect& place : CandidatePlaces(screenArea, exerciseFrame, buttons, tried)) {
            if (std::any_of(buttons.begin(), buttons.end(),
                            [&](const QRect& b) { return place.intersects(b); }))
                continue;
            // The native speaker's views matter most, then the rest of the
            // exercise; the first of equals is the nearest to the usual place.
            const int cost =
                2 * CoveredArea(place, nativeViews) + CoveredArea(place, exerciseFrame);
            if (!best || cost < bestCost) {
                best = place;
                bestCost = cost;
            }
        }
        if (best) return *best;
    }
    // Nowhere free of the buttons: at the screen's right edge, beside the
    // exercise where it can be, never beyond the screen.
    const int x = std::clamp(exerciseFrame.right() + 9, screenArea.left(),
                             screenArea.right() + 1 - full.width());
    const int y =
        std::clamp(exerciseFrame.top(), screenArea.top(), screenArea.bottom() + 1 - full.height());
    return {x, y, full.width(), full.height()};
}
