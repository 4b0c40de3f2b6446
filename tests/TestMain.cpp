// One test program for the whole system. Screen tests need a QApplication,
// and the offscreen platform lets them run without a display.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // Takes the tests make are kept in a history of their own, never in
    // the learner's.
    QTemporaryDir history;
    if (std::getenv("TONVALE_HISTORY") == nullptr)
        setenv("TONVALE_HISTORY", qPrintable(history.path()), 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
