#pragma once
// A web link in a dialog: its own text drawn in blue, underlined, from the control's top-left corner, and a
// signal when it is clicked. The cursor over it stays the ordinary arrow, like the dialog around it.
//
//   class CLinkLabel : public QWidget {
//       CLinkLabel(const QString& text, QWidget* parent);
//       QString Text() const;
//       static QFont LinkFont();        // sans-serif, underlined, normal weight, 12-pixel character cell
//       signal: void clicked();         // left button pressed and released over the link
//   };

#include <QFont>
#include <QString>
#include <QWidget>

class CLinkLabel : public QWidget {
    Q_OBJECT
public:
    CLinkLabel(const QString& text, QWidget* parent);

    QString Text() const { return m_text; }
    static QFont LinkFont();

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_text;
    bool m_bPressed = false;
};
