#pragma once
// How the dialogs open a web page in the user's browser. The links take an IUrlOpener so tests can record
// the addresses instead of starting a browser.
//
//   class IUrlOpener { virtual void OpenUrl(const QUrl& url) = 0; };   // failures are ignored
//   class CDesktopUrlOpener : public IUrlOpener;                      // QDesktopServices::openUrl
//   IUrlOpener& DefaultUrlOpener();                                    // the process-wide CDesktopUrlOpener

#include <QUrl>

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    // Hands the address to the desktop; a page that cannot be opened is not reported.
    virtual void OpenUrl(const QUrl& url) = 0;
};

class CDesktopUrlOpener : public IUrlOpener {
public:
    void OpenUrl(const QUrl& url) override;
};

IUrlOpener& DefaultUrlOpener();
