// Test entry: a Qt application object for the whole run, then GoogleTest.
#ifdef TIDRUN_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#elif defined(TIDRUN_TEST_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

int main(int argc, char** argv) {
#if defined(TIDRUN_TEST_WIDGETS) || defined(TIDRUN_TEST_GUI)
    // Test discovery at build time runs without a display and without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
