#include "ui/snapshot.h"

#include "controls/widgets/folder_tree_widget.h"
#include "platform/display_text.h"
#include "ui/main_window.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPixmap>
#include <QStringList>

bool canWriteSnapshot(const QString &path, QString &message)
{
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (!suffix.isEmpty() && formats.contains(suffix))
        return true;
    QStringList names;
    for (const QByteArray &format : formats)
        names << QString::fromLatin1(format);
    message = QStringLiteral("cannot write %1: its suffix names no image format this program writes (%2)").arg(path, names.join(QStringLiteral(", ")));
    return false;
}

bool writeSnapshot(fMain &window, const QByteArray &folderPath, const QString &imagePath, QString &message)
{
    window.openRoot(folderPath);
    TreeNode *root = window.trvFolders->node(folderPath);
    if (!root) {
        message = QStringLiteral("could not open %1").arg(displayText(folderPath));
        return false;
    }
    window.trvFolders->expandItem(FolderTreeWidget::itemOf(root));
    window.trvFolders->clickNode(*root);
    // The format is the one the file's suffix names.
    QImageWriter writer(imagePath);
    if (!writer.write(window.grab().toImage())) {
        message = QStringLiteral("could not write %1: %2").arg(imagePath, writer.errorString());
        return false;
    }
    return true;
}
