// Stored settings: defaults, the start-up repair rules and the write-back, against a private per-user store.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "settings/player_settings.h"

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }
    void Store(const char* key, const QVariant& value)
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Zenk", "Zenk_Vuvaz");
        store.setValue(QString("Options/") + key, value);
    }
    QVariant Stored(const char* key)
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Zenk", "Zenk_Vuvaz");
        return store.value(QString("Options/") + key);
    }
    QTemporaryDir m_dir;
};

constexpr unsigned kBoth = kRendererBuiltInAvailable | kRendererOverlayAvailable;

TEST(SettingsRepair, RulesForEachValue)
{
    struct Case { std::int32_t stored, res, date; };
    const Case cases[] = {
        {0, 0, 1}, {1, 1, 1}, {2, 0, 2}, {3, 0, 1}, {5, 0, 1}, {7, 0, 1}, {-1, -1, -1}, {INT32_MIN, INT32_MIN, INT32_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RepairDvDecoderRes(c.stored), c.res) << c.stored;
        EXPECT_EQ(RepairDateFormat(c.stored), c.date) << c.stored;
    }
    struct RendererCase { std::int32_t stored; unsigned mask; std::int32_t expected; };
    const RendererCase renderers[] = {
        {1, kBoth, 1}, {2, kBoth, 2}, {0, kBoth, 0}, {3, kBoth, 3},
        {1, kRendererBuiltInAvailable, 2},          // overlay missing: the built-in renderer stands in
        {2, kRendererOverlayAvailable, 1},          // built-in missing: only the overlay remains
        {0, kRendererOverlayAvailable, 1}, {3, kRendererBuiltInAvailable, 3},
    };
    for (const RendererCase& c : renderers)
        EXPECT_EQ(RepairRenderer(c.stored, c.mask), c.expected) << c.stored << " mask " << c.mask;
}

TEST_F(SettingsStore, FirstStartUsesDefaults)
{
    const PlayerSettings s = LoadSettings(kBoth);
    EXPECT_EQ(s.DvDecoderRes, 0);
    EXPECT_EQ(s.DateFormat, 1);
    EXPECT_EQ(s.Renderer, 2);
    EXPECT_EQ(LoadSettings(kRendererOverlayAvailable).Renderer, 1);
}

TEST_F(SettingsStore, RepairsWithoutWritingBack)
{
    Store("DvDecoderRes", 7);
    Store("DateFormat", -3);
    Store("Renderer", 1);
    const PlayerSettings s = LoadSettings(kRendererBuiltInAvailable);
    EXPECT_EQ(s.DvDecoderRes, 0);
    EXPECT_EQ(s.DateFormat, -3);
    EXPECT_EQ(s.Renderer, 2);
    EXPECT_EQ(Stored("Renderer").toInt(), 1);  // the store keeps 1 until the user saves
    EXPECT_EQ(Stored("DvDecoderRes").toInt(), 7);
}

TEST_F(SettingsStore, UnreadableValueCountsAsAbsent)
{
    Store("DateFormat", "dd/mm");
    Store("Renderer", "99999999999");
    const PlayerSettings s = LoadSettings(kBoth);
    EXPECT_EQ(s.DateFormat, 1);
    EXPECT_EQ(s.Renderer, 2);
}

TEST_F(SettingsStore, SaveWritesAllThreeAndLoadReadsThemBack)
{
    SaveSettings(PlayerSettings{1, 2, 1});
    EXPECT_EQ(Stored("DvDecoderRes").toInt(), 1);
    EXPECT_EQ(Stored("DateFormat").toInt(), 2);
    EXPECT_EQ(Stored("Renderer").toInt(), 1);
    const PlayerSettings s = LoadSettings(kBoth);
    EXPECT_EQ(s.DvDecoderRes, 1);
    EXPECT_EQ(s.DateFormat, 2);
    EXPECT_EQ(s.Renderer, 1);
}

}  // namespace
