#include "platform/program_identity.h"
#include "support/test_main.h"
#include "ui/app_icon.h"

#include <QImage>
#include <QPixmap>

// The window's icon is the picture the icon theme is given, at every size it has.
class TestAppIcon : public QObject
{
    Q_OBJECT

private:
    static QImage themePicture(int size)
    {
        return QImage(QStringLiteral(ZK_RENDERED_ICONS_DIR "/hicolor/%1x%1/apps/" ZK_APP_ID ".png").arg(size));
    }

    // Premultiplied, as a pixmap keeps it: the edges' half-transparent pixels compare
    // only in the one form.
    static QImage shown(int size)
    {
        return appIcon().pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

private slots:
    void sameAsTheTheme_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%d", size) << size;
    }

    void sameAsTheTheme()
    {
        QFETCH(int, size);
        const QImage theme = themePicture(size);
        QVERIFY(!theme.isNull());
        QCOMPARE(shown(size), theme.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    // Three overlapping folders in pale greens, darker to lighter from the top left, on
    // a transparent background.
    void threeFoldersInPaleGreens()
    {
        const QImage icon = shown(32);
        QCOMPARE(icon.pixelColor(5, 8), QColor(0x78, 0x96, 0x96));
        QCOMPARE(icon.pixelColor(10, 14), QColor(0x78, 0xc8, 0x96));
        QCOMPARE(icon.pixelColor(20, 24), QColor(0x78, 0xfa, 0x96));
        QCOMPARE(icon.pixelColor(30, 1).alpha(), 0);
        QCOMPARE(icon.pixelColor(1, 30).alpha(), 0);
    }
};

ZK_TEST_MAIN(TestAppIcon)
#include "tst_app_icon.moc"
