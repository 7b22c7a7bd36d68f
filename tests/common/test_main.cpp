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

#include <cstdlib>

int main(int argc, char** argv) {
#if defined(__SANITIZE_ADDRESS__)
    // Programs the tests start (the real console) report no leaks that system libraries
    // leave at exit.
    setenv("LSAN_OPTIONS", "suppressions=" TIDRUN_SOURCE_DIR "/tests/lsan.supp", 0);
#endif
#if defined(TIDRUN_TEST_WIDGETS) || defined(TIDRUN_TEST_GUI)
    // Test discovery at build time runs without a display and without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
