#include "ui/dialogs/url_opener.h"

#include <QDesktopServices>

void CDesktopUrlOpener::OpenUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);   // the result is ignored: a missing browser is not the player's error
}

IUrlOpener& DefaultUrlOpener()
{
    static CDesktopUrlOpener opener;
    return opener;
}
