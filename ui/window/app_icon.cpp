#include "ui/window/app_icon.h"

QIcon AppIcon()
{
    // The drawing rendered at four sizes; Qt scales the nearest one for any other size.
    QIcon icon;
    for (const int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/app/zenk-vuvaz-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
