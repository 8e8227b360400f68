// Stand-ins for the person at the screen: message boxes and opened web pages are recorded, not shown.
#pragma once

#include "ui/dialogs/message_presenter.h"
#include "ui/dialogs/url_opener.h"

#include <QUrl>
#include <vector>

struct RecordedBox {
    QWidget* owner;
    QString text;
    QString title;
    QMessageBox::Icon icon;
};

class RecordingPresenter : public IMessageBoxPresenter {
public:
    void ShowMessage(QWidget* owner, const QString& text, const QString& title, QMessageBox::Icon icon) override
    {
        boxes.push_back({owner, text, title, icon});
    }
    bool Ask(QWidget* owner, const QString& text, const QString& title) override
    {
        boxes.push_back({owner, text, title, QMessageBox::Question});
        return false;
    }
    std::vector<RecordedBox> boxes;
};

class RecordingOpener : public IUrlOpener {
public:
    void OpenUrl(const QUrl& url) override { urls.push_back(url); }
    std::vector<QUrl> urls;
};
