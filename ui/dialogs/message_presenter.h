#pragma once
// How the dialogs show a modal message box. A window takes an IMessageBoxPresenter so tests can record the
// boxes instead of blocking on them; the player itself uses the QMessageBox one.
//
//   class IMessageBoxPresenter {
//       virtual void ShowMessage(QWidget* owner, const QString& text, const QString& title,
//                                QMessageBox::Icon icon) = 0;   // returns when the box is closed
//       virtual bool Ask(QWidget* owner, const QString& text, const QString& title) = 0;   // Yes: true
//   };
//   class CQtMessageBoxPresenter : public IMessageBoxPresenter;  // a modal QMessageBox with an OK button
//   IMessageBoxPresenter& DefaultMessageBoxPresenter();           // the process-wide CQtMessageBoxPresenter

#include <QMessageBox>
#include <QString>

class QWidget;

class IMessageBoxPresenter {
public:
    virtual ~IMessageBoxPresenter() = default;
    // owner may be null (the box then belongs to no window).
    virtual void ShowMessage(QWidget* owner, const QString& text, const QString& title, QMessageBox::Icon icon) = 0;
    // A question with Yes and No, No the default (Escape and the close box answer No): true for Yes.
    virtual bool Ask(QWidget* owner, const QString& text, const QString& title) = 0;
};

class CQtMessageBoxPresenter : public IMessageBoxPresenter {
public:
    void ShowMessage(QWidget* owner, const QString& text, const QString& title, QMessageBox::Icon icon) override;
    bool Ask(QWidget* owner, const QString& text, const QString& title) override;
};

IMessageBoxPresenter& DefaultMessageBoxPresenter();
