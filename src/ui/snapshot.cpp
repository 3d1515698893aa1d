#include "ui/snapshot.h"

#include "platform/display_text.h"
#include "platform/widgets/qt_tree_view.h"
#include "ui/main_window.h"

#include <QPixmap>

bool writeSnapshot(fMain &window, const QByteArray &folderPath, const QString &pngPath, QString &message)
{
    window.openRoot(folderPath);
    TreeNode *root = window.trvFolders->node(folderPath);
    if (!root) {
        message = QStringLiteral("could not open %1").arg(displayText(folderPath));
        return false;
    }
    window.trvFolders->expandItem(QtTreeView::itemOf(root));
    window.trvFolders->clickNode(*root);
    if (!window.grab().save(pngPath, "PNG")) {
        message = QStringLiteral("could not write %1").arg(pngPath);
        return false;
    }
    return true;
}
