// The popup driving a real scene scan of a generated camcorder clip: the caption climbs to 100 %, and an Esc
// queued while the scan runs stops it with the "Operation Cancelled" box owned by the main window.
#include "avi/dv_avi_reader.h"
#include "tests/fixtures/camcorder_clip.h"
#include "tests/ui/dialogs/recording_seams.h"
#include "ui/dialogs/progress_popup.h"
#include "ui/dialogs/scan_owner.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Scenes of `frames` each, an hour apart: a scene start every `frames` frames.
std::string WriteClip(const QTemporaryDir& dir, const std::vector<int>& frames)
{
    fixture::ClipOptions options;
    int hour = 9;
    for (int count : frames)
        options.scenes.push_back({fixture::DateTime{2024, 5, 17, hour++, 30, 0}, count});
    const std::string path = dir.filePath(QStringLiteral("clip.avi")).toStdString();
    std::string error;
    EXPECT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
    return path;
}

// What the scene command does around the scan.
class SceneScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_main.resize(640, 480);
        m_main.show();
        m_reader.SetOwner(&m_owner);
    }
    void OpenClip(const std::vector<int>& frames)
    {
        const std::string path = WriteClip(m_dir, frames);
        ASSERT_TRUE(m_reader.Open(path.c_str()));
        ASSERT_TRUE(m_reader.BuildIndex());
    }
    std::unique_ptr<CProgressPopup> BeginPopup()
    {
        auto popup = std::make_unique<CProgressPopup>(&m_main, QStringLiteral("Processing"), false);
        EXPECT_TRUE(popup->BeginModal());
        popup->SetRange(0, 100, 1);
        popup->SetMessageText("Scanning for scene changes ...");
        QObject::connect(popup.get(), &QWidget::windowTitleChanged,
                         [this](const QString& title) { m_captions.push_back(title); });
        return popup;
    }
    // The percentages the caption showed, in order.
    std::vector<int> Percentages() const
    {
        std::vector<int> shown;
        static const QRegularExpression pattern(QStringLiteral("^Processing \\[(\\d+)%\\]$"));
        for (const QString& caption : m_captions) {
            const QRegularExpressionMatch match = pattern.match(caption);
            EXPECT_TRUE(match.hasMatch()) << caption.toStdString();
            shown.push_back(match.captured(1).toInt());
        }
        return shown;
    }

    QTemporaryDir m_dir;
    QWidget m_main;
    RecordingPresenter m_boxes;
    CWidgetScanOwner m_owner{&m_main, &m_boxes};
    CDvAviReader m_reader;
    std::vector<QString> m_captions;
};

struct ClipCase {
    std::vector<int> scenes;             // frames per scene
    std::vector<std::int32_t> starts;    // expected scene starts
};

TEST_F(SceneScan, CaptionClimbsToOneHundredPercent)
{
    // One frame (no intermediate steps), fewer than 101 frames (the caption jumps to 100 at the end), and more.
    const ClipCase cases[] = {{{1}, {}}, {{12, 18}, {12}}, {{60, 45, 30}, {60, 105}}};
    for (const ClipCase& c : cases) {
        m_captions.clear();
        OpenClip(c.scenes);
        auto popup = BeginPopup();
        EXPECT_TRUE(m_reader.ScanScenes(popup.get()));
        EXPECT_EQ(popup->windowTitle(), QStringLiteral("Processing [100%]"));
        EXPECT_EQ(popup->Bar()->value(), 100);
        EXPECT_EQ(m_reader.SceneStarts(), c.starts);
        const std::vector<int> shown = Percentages();
        ASSERT_FALSE(shown.empty());
        for (std::size_t i = 1; i < shown.size(); ++i)
            EXPECT_GT(shown[i], shown[i - 1]);
        EXPECT_FALSE(m_main.isEnabled());
        popup.reset();
        EXPECT_TRUE(m_main.isEnabled());
        EXPECT_TRUE(m_boxes.boxes.empty());
    }
}

TEST_F(SceneScan, QueuedEscapeStopsTheScanWithTheCancelledBox)
{
    OpenClip({30, 30});
    auto popup = BeginPopup();
    QCoreApplication::postEvent(popup.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_FALSE(m_reader.ScanScenes(popup.get()));
    EXPECT_FALSE(m_reader.Scanned());
    EXPECT_TRUE(popup->IsCancelled());
    EXPECT_FALSE(popup->isVisible());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].owner, &m_main);
    EXPECT_EQ(m_boxes.boxes[0].text, QStringLiteral("Operation Cancelled"));
    EXPECT_EQ(m_boxes.boxes[0].title, QStringLiteral("Cancelled"));
    EXPECT_EQ(m_boxes.boxes[0].icon, QMessageBox::Critical);
    popup.reset();
    EXPECT_TRUE(m_main.isEnabled());

    // The next command scans again, from the start.
    auto again = BeginPopup();
    EXPECT_TRUE(m_reader.ScanScenes(again.get()));
    EXPECT_EQ(m_reader.SceneStarts(), std::vector<std::int32_t>{30});
    EXPECT_EQ(m_boxes.boxes.size(), 1u);
}

TEST_F(SceneScan, EscapeArrivingMidwayKeepsTheStartsFoundSoFar)
{
    OpenClip({25, 25, 25, 25, 25});
    auto popup = BeginPopup();
    bool posted = false;
    // The user presses Esc once the bar is past a third; the scan sees it at its next pump.
    QObject::connect(popup.get(), &QWidget::windowTitleChanged, [&](const QString&) {
        if (!posted && popup->PercentShown() > 33) {
            posted = true;
            QCoreApplication::postEvent(popup.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    });
    EXPECT_FALSE(m_reader.ScanScenes(popup.get()));
    EXPECT_TRUE(posted);
    EXPECT_LT(popup->PercentShown(), 100);
    EXPECT_EQ(m_reader.SceneStarts(), (std::vector<std::int32_t>{25, 50}));
    EXPECT_EQ(m_boxes.boxes.size(), 1u);
}

}  // namespace
