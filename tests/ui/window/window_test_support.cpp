#include "tests/ui/window/window_test_support.h"

#include "playback/playback_graph.h"
#include "tests/fixtures/camcorder_clip.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/command_ids.h"
#include "ui/window/dialog_client.h"
#include "ui/window/player_dlg.h"
#include "ui/window/position_timer.h"
#include "ui/window/transport_buttons.h"
#include "ui/window/vr_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>

namespace wintest {

namespace {

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

}  // namespace

CMessageRecorder::CMessageRecorder() : m_previous(SetMessagePresenter(this)) {}

CMessageRecorder::~CMessageRecorder()
{
    SetMessagePresenter(m_previous);
}

void CMessageRecorder::ShowMessage(QWidget* owner, const QString& text, const QString& title, QMessageBox::Icon icon)
{
    m_messages.push_back({owner, text.toStdString(), title.toStdString(), icon});
}

bool CMessageRecorder::Ask(QWidget* owner, const QString& text, const QString& title)
{
    ShowMessage(owner, text, title, QMessageBox::Question);
    return m_yes;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count()) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void Spin(std::chrono::milliseconds time)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < time.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

std::string TempPath(const std::string& name)
{
    return Folder().filePath(QString::fromStdString(name)).toStdString();
}

namespace {

fixture::ClipWrapper WrapperFor(const std::string& name)
{
    return name.ends_with(".dv") ? fixture::ClipWrapper::RawDv : fixture::ClipWrapper::Avi;
}

}  // namespace

std::string WriteClip(const std::string& name, int frames, int layout)
{
    const std::string path = TempPath(name);
    fixture::ClipOptions options;
    options.wrapper = WrapperFor(name);
    options.layout = layout == 0 ? fixture::AviLayout::Type2WithAudio
                     : layout == 1 ? fixture::AviLayout::Type2
                                   : fixture::AviLayout::Type1;
    options.scenes.push_back({{2024, 7, 8, 10, 15, 0}, frames});
    std::string error;
    EXPECT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
    return path;
}

std::string WriteClip(const std::string& name, int frames, fixture::DvSystem system, fixture::DisplayAspect aspect)
{
    const std::string path = TempPath(name);
    fixture::ClipOptions options;
    options.system = system;
    options.aspect = aspect;
    options.scenes.push_back({{2024, 7, 8, 10, 15, 0}, frames});
    std::string error;
    EXPECT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
    return path;
}

std::string WriteScenes(const std::string& name, const std::vector<int>& lengths)
{
    fixture::ClipOptions options;
    options.wrapper = WrapperFor(name);
    fixture::DateTime start{2024, 7, 8, 10, 0, 0};
    for (const int frames : lengths) {
        options.scenes.push_back({start, frames});
        start = fixture::AddSeconds(start, 3600);
    }
    const std::string path = TempPath(name);
    std::string error;
    EXPECT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
    return path;
}

std::string WriteBytes(const std::string& name, const std::string& bytes)
{
    const std::string path = TempPath(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

void StartUp(CPlayerDlg& dialog, const char* commandLineFile)
{
    ASSERT_TRUE(dialog.InitMediaFramework(commandLineFile));
}

void TypeFileName(QFileDialog* dialog, const std::string& path)
{
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));
    QMetaObject::invokeMethod(dialog, "accept");
}

CDialogClient* Client(CPlayerDlg& dialog)
{
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* client = dynamic_cast<CDialogClient*>(child)) {
            return client;
        }
    }
    return nullptr;
}

bool FirstPaintDone(CPlayerDlg& dialog)
{
    const CDialogClient* client = Client(dialog);
    return client != nullptr && client->Painted();
}

void OpenFromCommandLine(CPlayerDlg& dialog, const std::string& path)
{
    ASSERT_TRUE(dialog.InitMediaFramework(path.c_str()));
    dialog.show();
    // The hand-over is posted at the first paint.
    ASSERT_TRUE(WaitFor([&] { return FirstPaintDone(dialog); }));
    QCoreApplication::sendPostedEvents(&dialog, kOpenCommandLineEvent);
}

CVRWindow* VideoArea(CPlayerDlg& dialog)
{
    return dynamic_cast<CVRWindow*>(dialog.findChild<QWidget*>(QStringLiteral("Video")));
}

CVRWindow* MetaArea(CPlayerDlg& dialog)
{
    return dynamic_cast<CVRWindow*>(dialog.findChild<QWidget*>(QStringLiteral("Metadata")));
}

CNiceSliderCtrl* Slider(CPlayerDlg& dialog)
{
    return dialog.findChild<CNiceSliderCtrl*>(QStringLiteral("Seek"));
}

CHoverButton* Button(CPlayerDlg& dialog, int id)
{
    const TransportButton* entry = FindTransportButton(id);
    return entry != nullptr ? dialog.findChild<CHoverButton*>(QString::fromUtf8(entry->tooltip)) : nullptr;
}

QMenuBar* MenuBar(CPlayerDlg& dialog)
{
    return dialog.findChild<QMenuBar*>();
}

QAction* MenuItem(CPlayerDlg& dialog, int id)
{
    for (QAction* action : dialog.findChildren<QAction*>()) {
        if (action->data() == QVariant(id)) {
            return action;
        }
    }
    return nullptr;
}

bool MenuEnabled(CPlayerDlg& dialog, int id)
{
    const QAction* action = MenuItem(dialog, id);
    return action != nullptr && action->isEnabled();
}

bool TimerRunning(CPlayerDlg& dialog)
{
    const auto* timer = dialog.findChild<CPositionTimer*>(QStringLiteral("PositionTimer"));
    return timer != nullptr && timer->Running();
}

long long CurrentFrame(CPlayerDlg& dialog)
{
    std::int64_t frame = -1;
    if (dialog.Playback() == nullptr || FAILED(dialog.Playback()->GetCurrentFrame(&frame))) {
        return -1;
    }
    return frame;
}

int GraphState(CPlayerDlg& dialog)
{
    std::int32_t state = -1;
    if (dialog.Playback() == nullptr) {
        return -1;
    }
    dialog.Playback()->GetState(2000, &state);
    return state;
}

}  // namespace wintest
