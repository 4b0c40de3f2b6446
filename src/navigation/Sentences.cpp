#include "navigation/Sentences.h"

#include "app/CommonVar.h"
#include "app/Tutor.h"
#include "content/ContentText.h"
#include "exercise/Stress.h"
#include "history/PhraseKey.h"
#include "navigation/PracticeMarks.h"
#include "navigation/SharedContent.h"
#include "navigation/TreeNode.h"
#include "widgets/HelpWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>

#include <algorithm>
#include <array>
#include <vector>

namespace {
QPointer<Sentences> currentScreen;
}

Sentences::Sentences(const QString& categoryName)
{
    setObjectName("Sentences");
    setWindowTitle("Tonvale Tutor");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 440);
    currentScreen = this;

    CategoryName = new QLabel(categoryName, this);
    CategoryName->setTextFormat(Qt::PlainText); // a category's name as written
    Instruction = new QLabel("Select a phrase by double-clicking on it", this);
    ListOfPhrases = new NavigationList(this);
    ListOfPhrases->setItemDelegate(new PracticeMarkDelegate(ListOfPhrases));
    ExitButton = new QPushButton("Exit", this);
    HelpButton = new QPushButton("Help", this);

    CategoryName->setObjectName("CategoryName");
    Instruction->setObjectName("Instruction");
    ListOfPhrases->setObjectName("ListOfPhrases");
    ExitButton->setObjectName("ExitButton");
    HelpButton->setObjectName("HelpButton");

    QFont nameFont = CategoryName->font();
    nameFont.setPointSize(nameFont.pointSize() + 4);
    nameFont.setBold(true);
    CategoryName->setFont(nameFont);

    CategoryName->setGeometry(16, 12, 528, 32);
    Instruction->setGeometry(16, 48, 528, 24);
    ListOfPhrases->setGeometry(16, 80, 528, 300);
    HelpButton->setGeometry(344, 396, 96, 30);
    ExitButton->setGeometry(448, 396, 96, 30);

    ExitButton->setAccessibleName("Exit");
    ExitButton->setAccessibleDescription("Go back to the lesson tree");
    HelpButton->setAccessibleName("Help");
    HelpButton->setAccessibleDescription("Open the help contents");
    ListOfPhrases->setAccessibleName("Phrases");
    ListOfPhrases->setAccessibleDescription(
        "The phrases of this category; select one by double-clicking on it, or press Enter");
    ListOfPhrases->setToolTip("Double-click a phrase to practise it, or press Enter; "
                              "Esc goes back to the lessons");
    CategoryName->setAccessibleName("Category");
    Instruction->setAccessibleName("Instruction");

    setTabOrder(ListOfPhrases, HelpButton);
    setTabOrder(HelpButton, ExitButton);
    AddNavigationKeys(this, HelpButton, [this] { ExitButton_Click(); });

    connect(ExitButton, &QPushButton::clicked, this, &Sentences::ExitButton_Click);
    connect(HelpButton, &QPushButton::clicked, this, &Sentences::HelpButton_Click);
    connect(ListOfPhrases, &QListWidget::itemDoubleClicked, this,
            &Sentences::ListOfPhrases_DblClick);
    connect(ListOfPhrases, &NavigationList::KeyDown, this, &Sentences::ListOfPhrases_KeyDown);

    ApplyNavigationLook(this);
    Form_Load();
}

Sentences::~Sentences()
{
    if (currentScreen == this)
        currentScreen = nullptr;
}

Sentences* Sentences::Current()
{
    return currentScreen.data();
}

void Sentences::Form_Load()
{
    SavedWindowState = 0;
    if (ReadPhraseList())
        FillPhraseList();
    loadSize = size();
    MoveToFormPosition(*this);
    ListOfPhrases->setFocus();
}

namespace {

// The width of the widest text in the font. Shaping every one of thousands
// of texts costs far more than reading the file, so each text is first
// estimated from cached character widths, and only the widest few
// estimates, among which the widest text lies, are measured exactly.
int WidestText(const QStringList& texts, const QFontMetrics& metrics)
{
    constexpr int Measured = 16;
    std::array<int, 128> asciiWidth{};
    for (int c = 32; c < 128; ++c)
        asciiWidth[c] = metrics.horizontalAdvance(QChar(c));
    std::vector<std::pair<int, int>> estimates; // (estimated width, index)
    estimates.reserve(texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        int width = 0;
        for (QChar c : texts[i])
            width += c.unicode() < 128 ? asciiWidth[c.unicode()] : metrics.horizontalAdvance(c);
        estimates.emplace_back(width, i);
    }
    const size_t count = std::min<size_t>(Measured, estimates.size());
    std::partial_sort(estimates.begin(), estimates.begin() + count, estimates.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    int widest = 0;
    for (size_t k = 0; k < count; ++k)
        widest = std::max(widest, metrics.horizontalAdvance(texts[estimates[k].second]));
    return widest;
}

} // namespace

void Sentences::FillPhraseList()
{
    ListOfPhrases->clear();
    QStringList texts;
    texts.reserve(PhraseCount);
    for (int i = 1; i <= PhraseCount; ++i)
        texts.append(DecodeContentText(TrimBlanks(PhraseList[i].PhraseText).toByteArray()));
    const int widest = WidestText(texts, QFontMetrics(ListOfPhrases->font()));
    ListOfPhrases->SetHorizontalExtent(widest > ListOfPhrases->viewport()->width() ? widest : 0);
    ListOfPhrases->addItems(texts);
    MarkPractice();
}

void Sentences::MarkPractice()
{
    QStringList stems;
    stems.reserve(PhraseCount);
    for (int i = 1; i <= PhraseCount && i < int(PhraseList.size()); ++i)
        stems.append(QString::fromUtf8(PhraseList[i].Stem));
    MarkPractisedPhrases(*ListOfPhrases, MarksHistory(), OpenCoursePack(),
                         QString::fromUtf8(CategoryCode), stems);
    ListOfPhrases->viewport()->update();
}

void Sentences::OpenSelectedPhrase()
{
    StoreFormPosition(*this);
    auto* exercise = new Stress();
    exercise->OpenFromPhraseList(SavedWindowState);
    hide();
}

void Sentences::ListOfPhrases_DblClick()
{
    OpenSelectedPhrase();
}

void Sentences::ListOfPhrases_KeyDown(int keyCode)
{
    // An empty list has no phrase to practise: Enter there would only open
    // the placeholder exercise, with nothing to listen to or compare with.
    if (keyCode == 13 && ListOfPhrases->count() > 0) OpenSelectedPhrase();
}

void Sentences::ExitButton_Click()
{
    close();
}

void Sentences::HelpButton_Click()
{
    WinHelp(HelpOwner, HelpFile, HelpContents, 0);
}

void Sentences::ReturnFromExercise()
{
    // The exercise may have added takes: the marks catch up.
    MarkPractice();
    MoveToFormPosition(*this);
    show();
    ListOfPhrases->setFocus();
}

void Sentences::Form_Unload()
{
    if (unloaded)
        return;
    unloaded = true;
    StoreFormPosition(*this);
    PreviousNode = CurrentNode;
    const int32_t parent =
        (CurrentNode >= 0 && CurrentNode <= LastNodeIndex) ? TreeNodes[CurrentNode].Parent : -1;
    CurrentNode = parent < 0 ? 0 : parent;
    auto* tree = new TreeNode();
    tree->show();
}

void Sentences::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void Sentences::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Sentences::Form_Resize()
{
    if (loadSize.isValid() && windowState() == Qt::WindowNoState && size() != loadSize)
        resize(loadSize);
}
