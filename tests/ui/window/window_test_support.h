// Shared by the main-window tests: a temporary folder with clips written by the fixture writer, the
// message-box recorder that answers boxes in place of a person, and waiting on the event loop.
#pragma once

#include "tests/fixtures/dv_system.h"
#include "ui/window/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class CDialogClient;
class CHoverButton;
class CNiceSliderCtrl;
class CPlayerDlg;
class CVRWindow;
class QAction;
class QFileDialog;
class QMenuBar;

namespace wintest {

// Every box the code under test shows, answered at once: OK, and the questions with the answer set.
class CMessageRecorder final : public IMessageBoxPresenter {
public:
    struct Message {
        QWidget* owner;
        std::string text;
        std::string title;
        QMessageBox::Icon icon;
    };

    CMessageRecorder();
    ~CMessageRecorder() override;
    CMessageRecorder(const CMessageRecorder&) = delete;
    CMessageRecorder& operator=(const CMessageRecorder&) = delete;

    void ShowMessage(QWidget* owner, const QString& text, const QString& title, QMessageBox::Icon icon) override;
    // Recorded with the question icon.
    bool Ask(QWidget* owner, const QString& text, const QString& title) override;
    const std::vector<Message>& Messages() const { return m_messages; }
    void AnswerQuestions(bool yes) { m_yes = yes; }

private:
    IMessageBoxPresenter* m_previous;
    bool m_yes = false;
    std::vector<Message> m_messages;
};

// Answers the next modal window of type T with answer(window), as a person would once it is up.
template <typename T>
void AnswerNextModal(QObject* context, std::function<void(T*)> answer)
{
    QTimer::singleShot(50, context, [context, answer] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            answer(window);
        } else {
            AnswerNextModal<T>(context, answer);
        }
    });
}

// Types path into the file dialog's name field and presses Enter.
void TypeFileName(QFileDialog* dialog, const std::string& path);

// Runs the event loop until done() holds or the time is up; returns done()'s last answer.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(15));
// Runs the event loop for a while.
void Spin(std::chrono::milliseconds time);

// A PAL clip of `frames` frames in the given layout (0 = type 2 with audio, 1 = type 2, 2 = type 1) in a
// temporary folder that lives as long as the test binary. A name ending ".dv" gets the frames as a raw DV
// stream (layout aside) by WriteClip and WriteScenes alike.
std::string WriteClip(const std::string& name, int frames, int layout = 0);
// A clip of `frames` frames recorded in `system` at display aspect `aspect`, type 2 with audio.
std::string WriteClip(const std::string& name, int frames, fixture::DvSystem system, fixture::DisplayAspect aspect);
// Scenes of these lengths recorded an hour apart from 2024-07-08 10:00:00, type 2 with audio.
std::string WriteScenes(const std::string& name, const std::vector<int>& lengths);
// A file with these bytes in the same folder.
std::string WriteBytes(const std::string& name, const std::string& bytes);
std::string TempPath(const std::string& name);

// True once the window has painted for the first time (the moment a command-line hand-over is posted).
bool FirstPaintDone(CPlayerDlg& dialog);

// A main window through its whole start-up (media framework, probe, settings), not shown.
void StartUp(CPlayerDlg& dialog, const char* commandLineFile = nullptr);

// Opens path the way the program opens its command-line argument: start-up with the argument, the window
// shown and painted, the hand-over delivered. Returns once the open has run.
void OpenFromCommandLine(CPlayerDlg& dialog, const std::string& path);

// The window's parts as a person finds them on the screen: by their names and command ids.
CDialogClient* Client(CPlayerDlg& dialog);
CVRWindow* VideoArea(CPlayerDlg& dialog);
CVRWindow* MetaArea(CPlayerDlg& dialog);
CNiceSliderCtrl* Slider(CPlayerDlg& dialog);
// The transport button with this command id (1004 to 1010).
CHoverButton* Button(CPlayerDlg& dialog, int id);
QMenuBar* MenuBar(CPlayerDlg& dialog);
// The menu item with this command id, nullptr when there is none.
QAction* MenuItem(CPlayerDlg& dialog, int id);
bool MenuEnabled(CPlayerDlg& dialog, int id);
// True while the position timer runs.
bool TimerRunning(CPlayerDlg& dialog);

// The frame the graph is on, -1 when it cannot say.
long long CurrentFrame(CPlayerDlg& dialog);
// The graph's state: 0 stopped, 1 paused, 2 running; -1 without a graph.
int GraphState(CPlayerDlg& dialog);

}  // namespace wintest
