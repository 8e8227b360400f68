#pragma once
// CGoToDialog: View > Go to..., one line for a frame number, a position h:mm:ss:ff or a recording date and
// time, with OK and Cancel. The window reads the text after OK and does the going.

#include <QDialog>

class QLineEdit;

class CGoToDialog : public QDialog {
public:
    explicit CGoToDialog(QWidget* owner);
    QString Text() const;

private:
    QLineEdit* m_pTarget;
};
