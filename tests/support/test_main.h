#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QTest>

// Tests start from the same place on every machine: the Japanese locale the window's
// texts are written for, whatever the machine's own.
inline void pinTestEnvironment()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

// Widgets and drawing: no display needed, and 96 dots per inch on every machine.
inline void pinWidgetTestEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    pinTestEnvironment();
}

// A test program's main: the environment pinned before the application exists.
#define ZK_TEST_MAIN_WITH(Application, pin, TestObject) \
    int main(int argc, char *argv[])                    \
    {                                                   \
        pin();                                          \
        Application app(argc, argv);                    \
        TestObject test;                                \
        return QTest::qExec(&test, argc, argv);         \
    }

#define ZK_TEST_GUILESS_MAIN(TestObject) ZK_TEST_MAIN_WITH(QCoreApplication, pinTestEnvironment, TestObject)
#define ZK_TEST_MAIN(TestObject) ZK_TEST_MAIN_WITH(QApplication, pinWidgetTestEnvironment, TestObject)
