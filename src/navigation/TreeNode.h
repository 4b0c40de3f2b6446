#pragma once
// The lesson tree screen: lists the children of the current node; a double
// click or Enter goes down a level, Exit goes up, and Exit on the top level
// ends the tutor. Choosing a leaf opens the phrase screen of its category.
#include "navigation/NavigationList.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

class TreeNode : public QWidget
{
    Q_OBJECT
public:
    TreeNode();

    QPushButton* ExitButton;
    QPushButton* HelpButton;
    NavigationList* ListOfNodes;
    QLabel* TreeNodeName;
    QLabel* Instruction;

    void FillNodeList();
    void OpenSelectedNode();

    void Form_Load();
    void ListOfNodes_DblClick();
    void ListOfNodes_KeyDown(int keyCode);
    void ExitButton_Click();
    void HelpButton_Click();
    // Esc: back up one level; nothing on the top level.
    void GoUpOneLevel();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Resize();
    void EndProgram();
    void PlaceHelpWindow();

    QSize loadSize;
    bool leaving = false;
};

// Deletes the student's working files (Student.* in the Data folder); does
// nothing when the Data folder is not known.
void DeleteStudentWorkingFiles();
