#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

// A folder tree made for one test in a temporary folder, removed afterwards however
// deep or locked it has become.
class FixtureTree
{
public:
    FixtureTree();
    ~FixtureTree();

    // The tree's own folder, ending in "/".
    QByteArray path() const { return m_path; }

    // Each takes a path relative to the tree; missing parent folders are made.
    void makeFolder(const QByteArray &relativePath);
    void makeFile(const QByteArray &relativePath, quint64 size); // sparse: takes no disk
    void makeLink(const QByteArray &relativePath, const QByteArray &target);

    // Builds a layout from lines "name/" (folder), "name=N" (file of N bytes) and
    // "name->target" (symbolic link).
    void make(const QList<QByteArray> &layout);

    // A chain of `depth` folders named `name` below relativePath, made with mkdirat one
    // level at a time relative to the last, so that it may grow longer than any path the
    // system takes. A file "bottom" of fileSize bytes lies at the bottom; with
    // fileAlongTheWay, every level holds a file "along" of that many bytes too.
    void makeDeepChain(const QByteArray &relativePath, int depth, quint64 fileSize, const QByteArray &name = "d",
                       quint64 fileAlongTheWay = 0);

private:
    QTemporaryDir m_directory;
    QByteArray m_path;
};
