#include "ui/window/player_app.h"

#include "playback/plugin_preload.h"
#include "ui/window/app_icon.h"
#include "ui/window/player_dlg.h"

#include <QAccessible>

#include <malloc.h>

namespace {

constexpr int kHeapArenas = 2;

}  // namespace

CPlayerApp::CPlayerApp(int& argc, char** argv) : m_argc(argc), m_argv(argv)
{
    // Two heap arenas, set before any thread starts: by default the C library allows eight a core, and
    // each of the graph's dozen threads may take one of its own, holding pages the others could reuse.
    mallopt(M_ARENA_MAX, kHeapArenas);
    // The video overlay needs a native window for the video area only; its siblings stay Qt-drawn.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    // The window lays its menu bar out inside itself. Asked for a desktop-wide menu bar instead, Qt would
    // first connect to the session bus (or try to launch one where there is none) before the window shows.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    m_application = std::make_unique<QApplication>(argc, argv);
    ApplyIdentity();
    // Every window of the program carries its icon. Reading it loads Qt's image-format plugins, which the
    // window's menu bar asks for too: loaded now, before the graph's plugins start loading on another
    // thread, the window's build never waits for the dynamic loader to finish those.
    QApplication::setWindowIcon(AppIcon());
    // The same for the accessibility bridge, which the first widget that names itself sets up: its
    // session-bus connection starts a thread, and a thread cannot start while another one is in the
    // middle of loading a library.
    static_cast<void>(QAccessible::isActive());
}

void CPlayerApp::ApplyIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Zenk"));
    QCoreApplication::setApplicationName(QStringLiteral("Zenk_Vuvaz"));
    // No application display name: Qt appends one to every window title that does not already end with it,
    // and each of our windows carries exactly the caption it is given ("Error!", "Options", the progress
    // percentage). The main window names the program in its own title.
    // The desktop entry installed with the program (its icon and name in task switchers).
    QGuiApplication::setDesktopFileName(QStringLiteral("zenk-vuvaz"));
}

CPlayerApp::~CPlayerApp() = default;

int CPlayerApp::InitInstance()
{
    // The graph's plugins load on GStreamer's thread pool while the window is built and shows, so a file
    // named on the command line finds them loaded. Not sooner: the dynamic loader takes one library at a
    // time, and Qt's start has just loaded its own (the platform and input plugins).
    LoadPluginsAhead(GraphUse::Player);
    CPlayerDlg dialog;
    // Further arguments are ignored; Qt's own options are gone from argv by now.
    const char* commandLineFile = m_argc > 1 ? m_argv[1] : nullptr;
    if (!dialog.InitMediaFramework(commandLineFile)) {
        return 1;
    }
    dialog.exec();
    return 0;
}
