#include "ui/dialogs/about_dlg.h"

#include "app/version.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/dialogs/link_label.h"
#include "ui/dialogs/product_links.h"
#include "ui/dialogs/url_opener.h"

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int kIconPixels = 32;   // an icon control shows the icon at its own size, not the control's

// The main window's icon (it falls back to the application's own), else a stand-in from the style.
QPixmap ApplicationIconPixmap(const QWidget* dialog)
{
    const QWidget* owner = dialog->parentWidget();
    QIcon icon = owner != nullptr ? owner->window()->windowIcon() : QApplication::windowIcon();
    if (icon.isNull())
        icon = dialog->style()->standardIcon(QStyle::SP_MediaPlay);
    return icon.pixmap(kIconPixels, kIconPixels);
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent, IUrlOpener* opener)
    : QDialog(parent), m_pOpener(opener != nullptr ? opener : &DefaultUrlOpener())
{
    const zv::DialogTemplate t(this, QStringLiteral("About Zenk Vuvaz"), 245, 219);

    QLabel* icon = t.Place(new QLabel(this), 11, 14, 20, 20);
    icon->setPixmap(ApplicationIconPixmap(this));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    icon->resize(icon->size().expandedTo(QSize(kIconPixels, kIconPixels)));

    t.Static(QStringLiteral("Zenk Vuvaz"), 46, 10, 119, 8);
    t.Static(QStringLiteral("Version ") + QString::fromLatin1(zv::kVersion), 46, 21, 129, 8);
    t.Static(QStringLiteral("Copyright (C) Zenk. All rights reserved."), 46, 32, 119, 8);
    t.Static(QStringLiteral("Free to use, at home and at work."), 46, 44, 149, 10);
    t.Group(QString(), 7, 57, 231, 155);
    t.Static(QStringLiteral("Zenk Vuvaz may be used and passed on free of charge, as long as it is passed on "
                            "whole and unchanged. It comes without any warranty. For the full terms of use "
                            "and for new versions, please visit:"),
             15, 67, 216, 44);
    m_pProductLink = t.Place(new CLinkLabel(QString::fromLatin1(zv::kProductPageUrl), this), 46, 115, 179, 8);
    t.Static(QStringLiteral("Zenk also makes a catalogue program for camcorder tapes and for the "
                            "recordings on them."),
             15, 130, 216, 18);
    t.Static(QStringLiteral("It lists every recording with its date, time and length, finds the scenes "
                            "on a tape, and prints labels for the tape boxes."),
             15, 146, 216, 28);
    t.Static(QStringLiteral("Find it, and more, on the Zenk home page:"), 15, 178, 216, 14);
    m_pMakerLink = t.Place(new CLinkLabel(QString::fromLatin1(zv::kMakerHomeUrl), this), 46, 194, 113, 8);
    auto* ok = t.Button(QStringLiteral("OK"), true, 188, 7, 50, 16);
    m_pOk = ok;

    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
    connect(m_pProductLink, &CLinkLabel::clicked, this, &CAboutDlg::OnProductLinkClicked);
    connect(m_pMakerLink, &CLinkLabel::clicked, this, &CAboutDlg::OnMakerLinkClicked);
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::OnProductLinkClicked()
{
    m_pOpener->OpenUrl(QUrl(QString::fromLatin1(zv::kProductPageUrl)));
}

void CAboutDlg::OnMakerLinkClicked()
{
    m_pOpener->OpenUrl(QUrl(QString::fromLatin1(zv::kMakerHomeUrl)));
}

QWidget* CAboutDlg::Control(int id) const
{
    switch (id) {
    case kIdOk: return m_pOk;
    case kIdProductLink: return m_pProductLink;
    case kIdMakerLink: return m_pMakerLink;
    default: return nullptr;
    }
}
