#include "ui/controls/button_strip.h"

#include <QString>

// Q_INIT_RESOURCE must run outside any namespace; the strips live in a static library whose resource
// object would otherwise be dropped by the linker, because nothing refers to it by name.
static void RegisterButtonResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(buttons);
        return true;
    }();
    (void)registered;
}

QImage LoadButtonStrip(unsigned id)
{
    RegisterButtonResources();
    QImage strip(QStringLiteral(":/buttons/%1.xpm").arg(id));
    if (strip.isNull())
        return {};
    return strip.convertToFormat(QImage::Format_RGB32);
}

QImage MapStripColours(const QImage& strip, const QColor& face, const QColor& shadow)
{
    QImage mapped = strip.convertToFormat(QImage::Format_RGB32);
    const QRgb faceTo = face.rgb();
    const QRgb shadowTo = shadow.rgb();
    // Compare the colour only: RGB32 pixels carry 0xFF in their top byte, palette colours may not.
    for (int y = 0; y < mapped.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(mapped.scanLine(y));
        for (int x = 0; x < mapped.width(); ++x) {
            const QRgb rgb = row[x] & 0x00FFFFFFu;
            if (rgb == (kStripFaceColour & 0x00FFFFFFu))
                row[x] = faceTo | 0xFF000000u;
            else if (rgb == (kStripShadowColour & 0x00FFFFFFu))
                row[x] = shadowTo | 0xFF000000u;
        }
    }
    return mapped;
}
