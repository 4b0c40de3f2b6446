#include "studio/CheckPanel.h"

#include "authoring/ContentLint.h"

#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int NodeRole = Qt::UserRole;
constexpr int PhraseRole = Qt::UserRole + 1;

// The tree file's lines are the nodes in the order the course lists them,
// and the phrase list's lines after its heading are the phrases in order.
void Locate(const Course& course, const LintFinding& finding, QVariantList& node, int& phrase)
{
    phrase = -1;
    if (finding.Line <= 0) return;
    int line = 0;
    int phraseLine = 1;
    ForEachNode(course, [&](const CourseNode& each, const NodePath& path) {
        ++line;
        const bool inTree = finding.File == "Sounds/Tree.txt" && line == finding.Line;
        bool inList = false;
        for (size_t i = 0; i < each.Phrases.size(); ++i) {
            if (finding.File == "Sounds/SentList.txt" && ++phraseLine == finding.Line) {
                inList = true;
                phrase = static_cast<int>(i);
            }
        }
        if (inTree || inList) {
            node.clear();
            for (int index : path)
                node << index;
        }
    });
}

} // namespace

CheckPanel::CheckPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("CheckPanel");
    Summary = new QLabel(this);
    Summary->setObjectName("CheckSummary");
    ListOfProblems = new QListWidget(this);
    ListOfProblems->setObjectName("ListOfProblems");
    ListOfProblems->setAccessibleName("Problems a learner would meet");
    Summary->setBuddy(ListOfProblems);
    pause = new QTimer(this);
    pause->setSingleShot(true);
    pause->setInterval(300);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Summary);
    layout->addWidget(ListOfProblems, 1);
    connect(pause, &QTimer::timeout, this, &CheckPanel::CheckNow);
    connect(ListOfProblems, &QListWidget::itemActivated, this, &CheckPanel::Activate);
    connect(ListOfProblems, &QListWidget::itemClicked, this, &CheckPanel::Activate);
}

void CheckPanel::Schedule(const QString& packFolder, const Course& current)
{
    folder = packFolder;
    course = current;
    pause->start();
}

void CheckPanel::CheckNow()
{
    pause->stop();
    ListOfProblems->clear();
    errors = 0;
    if (folder.isEmpty()) {
        Summary->clear();
        return;
    }
    int warnings = 0;
    for (const LintFinding& finding : LintContent(folder)) {
        const bool error = finding.Severity == LintSeverity::Error;
        (error ? errors : warnings) += 1;
        auto* item = new QListWidgetItem(FormatLintFinding(finding), ListOfProblems);
        item->setIcon(style()->standardIcon(error ? QStyle::SP_MessageBoxCritical
                                                  : QStyle::SP_MessageBoxWarning));
        QVariantList node;
        int phrase = -1;
        Locate(course, finding, node, phrase);
        item->setData(NodeRole, node);
        item->setData(PhraseRole, phrase);
    }
    Summary->setText(errors + warnings == 0
                         ? QString("Check: no problems. A learner can use this course as it is.")
                         : QString("Check: %1 errors, %2 warnings. Click a line to go there.")
                               .arg(errors)
                               .arg(warnings));
}

void CheckPanel::Activate(QListWidgetItem* item)
{
    const QVariantList indices = item->data(NodeRole).toList();
    if (indices.isEmpty() && !item->text().startsWith("Sounds/Tree.txt:1:")) return;
    NodePath node;
    for (const QVariant& index : indices)
        node.push_back(index.toInt());
    emit ShowEntry(node, item->data(PhraseRole).toInt());
}
