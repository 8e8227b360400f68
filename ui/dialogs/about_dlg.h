#pragma once
// CAboutDlg: the About box (Help > About): product name, version, terms of use and two web links (the
// product's page and the maker's home page). Enter, Escape and the close box close it; the links open
// their pages and leave it open. The result of exec() means nothing.
//
//   explicit CAboutDlg(QWidget* parent = nullptr, IUrlOpener* opener = nullptr);   // null: the desktop
//   void OnProductLinkClicked();   // zv::kProductPageUrl
//   void OnMakerLinkClicked();     // zv::kMakerHomeUrl
//   QWidget* Control(int id) const;   // kIdProductLink 1031, kIdMakerLink 1032, IDOK 1; null otherwise

#include <QDialog>

class CLinkLabel;
class IUrlOpener;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdProductLink = 1031;
    static constexpr int kIdMakerLink = 1032;

    explicit CAboutDlg(QWidget* parent = nullptr, IUrlOpener* opener = nullptr);
    ~CAboutDlg() override;

    void OnProductLinkClicked();
    void OnMakerLinkClicked();
    QWidget* Control(int id) const;

private:
    IUrlOpener* m_pOpener;
    CLinkLabel* m_pProductLink = nullptr;
    CLinkLabel* m_pMakerLink = nullptr;
    QWidget* m_pOk = nullptr;
};
