#pragma once

#include "ui/scan_progress_dialog.h"

#include <QApplication>

// The progress dialog of the scan that runs, once it shows; null before and after.
inline ScanProgressDialog *shownProgressDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<ScanProgressDialog *>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}
