#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

#include <cstddef>

// The library that makes large allocations fail (allocation_limit.cpp), as a test
// preloads it into the program it starts, or finds it preloaded into itself.
namespace AllocationLimit {

// An environment in which a program fails every allocation through operator new of
// more than `bytes`. The sanitizer's check that it comes first is let off, as the
// library must come before it to take operator new.
inline QProcessEnvironment environment(std::size_t bytes)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ZK_ALLOCATION_LIMIT_LIBRARY));
    environment.insert(QStringLiteral("ZK_ALLOCATION_LIMIT"), QString::number(bytes));
    const QString sanitizer = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       (sanitizer.isEmpty() ? QString() : sanitizer + QLatin1Char(':')) + QStringLiteral("verify_asan_link_order=0"));
    return environment;
}

} // namespace AllocationLimit

// Set in a test program that runs with the library preloaded; null otherwise.
extern "C" void zkSetAllocationLimit(std::size_t bytes) __attribute__((weak));
