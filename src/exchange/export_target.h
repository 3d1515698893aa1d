#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

#include <sys/stat.h>

// Where an export goes, opened as any program opens a file for writing: the kernel
// resolves the name, with the protections it gives links in sticky folders, and a last
// link whose owner is neither this user nor its folder's owner is refused. Anything
// but a regular file (a device, a FIFO, a pipe, a socket, a terminal), and standard
// output as "-" whatever it is, is written into as the export comes. A regular file is changed only once the
// export is whole: written beside it and renamed over it, with its owner, group and
// mode, or, when it has other names (hard links) or its folder takes no new file,
// written into in place so that every name sees the new content.
class ExportTarget
{
public:
    ExportTarget() = default;
    ExportTarget(const ExportTarget &) = delete;
    ExportTarget &operator=(const ExportTarget &) = delete;
    ~ExportTarget();

    bool open(const QByteArray &name);
    // After open(): where the export is written, unbuffered, so that a failed write
    // shows at once, with the system's reason.
    QIODevice &device() { return *m_out; }
    // Puts a whole export in place; false when any of it, the last write, the flush to
    // the disk or the close, failed.
    bool commit();
    // A failed export: a regular file stays as it was, a new one does not appear.
    void discard();

    // Why the last step failed.
    QString errorString() const { return m_error; }

private:
    enum class Kind { Stream, NewFile, Replace, InPlace };

    bool makeTemporary(const QByteArray &folder);
    bool commitFile();
    bool copyInto(int destination);
    bool refuseLink();
    bool fail();

    Kind m_kind = Kind::Stream;
    QByteArray m_name;
    // The file opened by its name; the temporary one the export goes into first.
    int m_target = -1;
    int m_temporary = -1;
    QByteArray m_temporaryName; // empty when it has none
    QByteArray m_targetPath;    // where the kernel found the target
    struct stat m_targetStatus {};
    mode_t m_newFileMode = 0644;
    std::unique_ptr<QIODevice> m_out;
    QString m_error;
};
