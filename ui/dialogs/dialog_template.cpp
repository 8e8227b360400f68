#include "ui/dialogs/dialog_template.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace zv {
namespace {

constexpr int kDialogMarginUnits = 7;
constexpr int kOneLineUnits = 10;   // tables give one-line controls 8 to 10 units of height

// The dialog font must be set before the scale is taken from it.
DialogUnitScale ApplyDialogFont(QDialog* dialog)
{
    dialog->setFont(DialogFont());
    return DialogBaseUnits(dialog->font());
}

}  // namespace

// The tables were drawn for a narrow 8-point sans-serif face; a metric-compatible one keeps their texts
// inside their controls, and the generic sans-serif face stands in where none is installed.
QFont DialogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

DialogTemplate::DialogTemplate(QDialog* dialog, const QString& caption, int widthUnits, int heightUnits)
    : m_dialog(dialog), m_widthUnits(widthUnits), m_scale(ApplyDialogFont(dialog))
{
    dialog->setWindowFlags(kModalFrameFlags);
    dialog->setWindowTitle(caption);
    // A modal frame has no sizing border: the client area is the table's size, always.
    dialog->setFixedSize(DialogSizeToPixels(m_scale, widthUnits, heightUnits));
}

QLabel* DialogTemplate::Static(const QString& text, int x, int y, int w, int h) const
{
    auto* label = new QLabel(text, m_dialog);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setContentsMargins(0, 0, 0, 0);
    label->setMargin(0);
    label->setIndent(0);
    Place(label, x, y, w, h);
    if (h <= kOneLineUnits)
        GrowToFitText(label, x, w, h);
    return label;
}

QGroupBox* DialogTemplate::Group(const QString& title, int x, int y, int w, int h) const
{
    return Place(new QGroupBox(title, m_dialog), x, y, w, h);
}

QRadioButton* DialogTemplate::Radio(const QString& text, int x, int y, int w, int h) const
{
    auto* radio = Place(new QRadioButton(text, m_dialog), x, y, w, h);
    GrowToFitText(radio, x, w, h);
    return radio;
}

QCheckBox* DialogTemplate::Check(const QString& text, int x, int y, int w, int h) const
{
    auto* check = Place(new QCheckBox(text, m_dialog), x, y, w, h);
    GrowToFitText(check, x, w, h);
    return check;
}

QPushButton* DialogTemplate::Button(const QString& text, bool isDefault, int x, int y, int w, int h) const
{
    auto* button = new QPushButton(text, m_dialog);
    // Every push button takes the default role while it has the focus (Qt's auto-default), so Enter on the
    // focused Cancel cancels; the default one holds it otherwise.
    button->setDefault(isDefault);
    return Place(button, x, y, w, h);
}

void DialogTemplate::GrowToFitText(QWidget* control, int x, int w, int h) const
{
    const QRect table = Rect(x, 0, w, h);
    const int limit = DialogUnitsToPixelsX(m_scale, m_widthUnits - kDialogMarginUnits) - table.x();
    // A word-wrapping label hints at a wrapped width; one-line texts are measured as one line.
    const auto* label = qobject_cast<const QLabel*>(control);
    const int needed = label != nullptr ? label->fontMetrics().horizontalAdvance(label->text()) + 1
                                        : control->sizeHint().width();
    if (needed > table.width())
        control->resize(std::min(needed, std::max(limit, table.width())), control->height());
}

}  // namespace zv
