#include "settings/player_settings.h"

#include "settings/settings_store.h"

#include <QSettings>

namespace {

constexpr const char* kOrganisation = kSettingsOrganisation;
constexpr const char* kApplication = kSettingsApplication;

// A stored value that is not a 32-bit integer (hand-edited store) counts as absent.
std::int32_t ReadInt(QSettings& store, const char* key, std::int32_t fallback)
{
    const QVariant value = store.value(key);
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < INT32_MIN || number > INT32_MAX)
        return fallback;
    return static_cast<std::int32_t>(number);
}

}  // namespace

std::int32_t RepairDvDecoderRes(std::int32_t stored)
{
    return stored >= 2 ? 0 : stored;
}

std::int32_t RepairDateFormat(std::int32_t stored)
{
    return (stored == 0 || stored >= 3) ? 1 : stored;
}

std::int32_t RepairRenderer(std::int32_t stored, unsigned availability)
{
    if (stored == 1 && !(availability & kRendererOverlayAvailable))
        return 2;
    if (stored != 1 && !(availability & kRendererBuiltInAvailable))
        return 1;
    return stored;
}

PlayerSettings LoadSettings(unsigned availability)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    store.beginGroup("Options");
    PlayerSettings settings;
    settings.DvDecoderRes = RepairDvDecoderRes(ReadInt(store, "DvDecoderRes", 0));
    settings.DateFormat = RepairDateFormat(ReadInt(store, "DateFormat", 0));
    settings.Renderer = RepairRenderer(ReadInt(store, "Renderer", 2), availability);
    return settings;
}

void SaveSettings(const PlayerSettings& settings)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    store.beginGroup("Options");
    store.setValue("DvDecoderRes", settings.DvDecoderRes);
    store.setValue("DateFormat", settings.DateFormat);
    store.setValue("Renderer", settings.Renderer);
    store.sync();
}
