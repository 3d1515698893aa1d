#pragma once

#include "scan/scan_control.h"

#include <QByteArray>

// Work that runs on a thread of its own while the window's thread watches its progress
// through control() and may ask it to stop: a scan, or the reading of an export.
class BackgroundJob
{
public:
    virtual ~BackgroundJob() = default;
    virtual void run() = 0;
    virtual ScanControl &control() = 0;
    // What the job is about, shown until it names a folder of its own.
    virtual QByteArray subject() const = 0;
    // After run(): whether it went to its end.
    virtual bool completed() const = 0;
};
