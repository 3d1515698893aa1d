#pragma once

#include <QByteArray>
#include <QTest>

// Rows of a "folder" column: the kernel's pseudo file systems a scan must not count, and
// folders inside them. devtmpfs is among them, though statfs calls it tmpfs.
inline void addPseudoFileSystemRows()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("/proc") << QByteArray("/proc/");
    QTest::newRow("/proc/self") << QByteArray("/proc/self/");
    QTest::newRow("/sys") << QByteArray("/sys/");
    QTest::newRow("/sys/kernel") << QByteArray("/sys/kernel/");
    QTest::newRow("/dev") << QByteArray("/dev/");
}
