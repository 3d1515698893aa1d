#pragma once

#include "platform/folder_enumerator.h"

// Enumerates folders with openat relative to the open parent folder. Links are never
// followed: a symbolic link is an entry of its own length.
class PosixFolderEnumerator final : public FolderEnumerator
{
public:
    std::unique_ptr<FolderWalk> startWalk(const QByteArray &rootPath) override;
};
