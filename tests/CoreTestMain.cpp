// The test program of the widget-free core: it links tvcore alone, so a
// core file that reaches for a widget, a device or the tutor's state fails
// to link here. Text drawn onto pictures needs fonts, and fonts need a
// GUI application; the offscreen platform needs no display.
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
