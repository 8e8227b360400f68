#pragma once
// Builds a fixed-size dialog from a geometry table in dialog units: every control is placed at its table
// rectangle converted with the dialog's own font, so the proportions hold for any font.
//
//   inline constexpr Qt::WindowFlags kModalFrameFlags;   // caption + window menu/close box, no size box
//   class DialogTemplate {
//       DialogTemplate(QDialog* dialog, const QString& caption, int widthUnits, int heightUnits);
//       QRect Rect(int x, int y, int w, int h) const;     // units -> pixels
//       template <class W> W* Place(W* widget, int x, int y, int w, int h);
//       QLabel* Static(const QString& text, int x, int y, int w, int h);   // left-aligned, word-wrapped
//       QGroupBox* Group(const QString& title, int x, int y, int w, int h);
//       QRadioButton* Radio(const QString& text, int x, int y, int w, int h);
//       QCheckBox* Check(const QString& text, int x, int y, int w, int h);
//       QPushButton* Button(const QString& text, bool isDefault, int x, int y, int w, int h);
//       const DialogUnitScale& Scale() const;
//   };
//   QFont DialogFont();   // 8 points, a sans-serif face with the proportions the tables were drawn for
// Controls are created in table order, which is also their tab order and their stacking order (a group box
// made first lies under the controls inside it). A one-line control whose text needs more width than its
// table gives (a longer text, a wider check mark) grows to the right, never beyond the dialog's margin,
// rather than clip its text.

#include "ui/dialogs/dialog_units.h"

#include <QFont>
#include <QRect>
#include <QString>

class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace zv {

inline constexpr Qt::WindowFlags kModalFrameFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                                    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

QFont DialogFont();

class DialogTemplate {
public:
    DialogTemplate(QDialog* dialog, const QString& caption, int widthUnits, int heightUnits);

    QRect Rect(int x, int y, int w, int h) const { return DialogRectToPixels(m_scale, x, y, w, h); }
    const DialogUnitScale& Scale() const { return m_scale; }

    template <class W>
    W* Place(W* widget, int x, int y, int w, int h) const
    {
        widget->setGeometry(Rect(x, y, w, h));
        return widget;
    }

    QLabel* Static(const QString& text, int x, int y, int w, int h) const;
    QGroupBox* Group(const QString& title, int x, int y, int w, int h) const;
    QRadioButton* Radio(const QString& text, int x, int y, int w, int h) const;
    QCheckBox* Check(const QString& text, int x, int y, int w, int h) const;
    QPushButton* Button(const QString& text, bool isDefault, int x, int y, int w, int h) const;

private:
    void GrowToFitText(QWidget* control, int x, int w, int h) const;

    QDialog* m_dialog;
    int m_widthUnits;
    DialogUnitScale m_scale;
};

}  // namespace zv
