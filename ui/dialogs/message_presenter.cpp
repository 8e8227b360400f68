#include "ui/dialogs/message_presenter.h"

void CQtMessageBoxPresenter::ShowMessage(QWidget* owner, const QString& text, const QString& title,
                                         QMessageBox::Icon icon)
{
    // Texts may keep CR LF pairs; a label would show the CR as a glyph.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, title, shown, QMessageBox::Ok, owner);
    // The texts are the program's own plain messages (file names included): never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool CQtMessageBoxPresenter::Ask(QWidget* owner, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

IMessageBoxPresenter& DefaultMessageBoxPresenter()
{
    static CQtMessageBoxPresenter presenter;
    return presenter;
}
