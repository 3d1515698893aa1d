#pragma once

#include "controls/widgets/breakdown_list_widget.h"
#include "exchange/folder_export.h"
#include "scan/scan_control.h"
#include "ui/main_window.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// What the window's breakdown list shows, a row a line: name, size text and share.
inline QStringList breakdownRows(const fMain &window)
{
    QStringList rows;
    for (int i = 0; i < window.lvwFolders->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = window.lvwFolders->topLevelItem(i);
        rows << row->text(0) + ' ' + row->text(1) + ' ' + row->text(2);
    }
    return rows;
}

// The tree below a folder written as an export file "tree.json" in a folder of the
// test's; empty when it could not be written.
inline QString writeExportFile(FolderEnumerator &fileSystem, const QTemporaryDir &folder, const QByteArray &root)
{
    const QString name = folder.filePath(QStringLiteral("tree.json"));
    QFile out(name);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    ScanControl control;
    QString error;
    return exportFolder(fileSystem, root, out, control, error) ? name : QString();
}
