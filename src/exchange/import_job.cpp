#include "exchange/import_job.h"

#include "populater/folder_scan_job.h"

#include <QFile>

#include <cstdio>

bool openExport(QFile &file, const QByteArray &name)
{
    if (name == "-")
        return file.open(stdin, QIODevice::ReadOnly);
    file.setFileName(QFile::decodeName(name));
    return file.open(QIODevice::ReadOnly);
}

void ImportJob::run()
{
    ImportedTree::Outcome outcome = ImportedTree::read(m_in, &m_control);
    if (outcome.error || !outcome.tree) {
        m_error = outcome.error;
        return;
    }
    ImportedRoot root;
    root.tree = std::make_unique<ImportedTree>(std::move(*outcome.tree));
    root.enumerator = std::make_unique<ImportedFolderEnumerator>(*root.tree);
    // The tree is in memory: one thread adds it up faster than several would.
    FolderScanJob scan(*root.enumerator, root.rootPath(), 1);
    scan.run();
    if (m_control.cancelRequested())
        return;
    root.records = scan.takeRecords();
    root.marks = scan.takeMarks();
    root.total = scan.total();
    m_root = std::move(root);
}
