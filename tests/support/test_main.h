#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QTest>

// Tests start from the same place on every machine: the Japanese locale the window's
// texts are written for, whatever the machine's own.
inline void pinTestEnvironment()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

#define ZK_TEST_GUILESS_MAIN(TestObject)           \
    int main(int argc, char *argv[])               \
    {                                              \
        pinTestEnvironment();                      \
        QCoreApplication app(argc, argv);          \
        TestObject test;                           \
        return QTest::qExec(&test, argc, argv);    \
    }
