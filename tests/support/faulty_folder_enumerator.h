#pragma once

#include "platform/folder_enumerator.h"

#include <QByteArrayList>

// Enumerates through the real file system, except that the chosen folders cannot be
// listed: the way a test makes a folder unreadable whoever runs it.
class FaultyFolderEnumerator final : public FolderEnumerator
{
public:
    FaultyFolderEnumerator(FolderEnumerator &real, QByteArrayList failingPaths);
    std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) override;

private:
    FolderEnumerator &m_real;
    QByteArrayList m_failingPaths;
};
