#include "ui/window/player_app.h"

#include "ui/window/player_dlg.h"

CPlayerApp::CPlayerApp(int& argc, char** argv) : m_argc(argc), m_argv(argv)
{
    // The video overlay needs a native window for the video area only; its siblings stay Qt-drawn.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    m_application = std::make_unique<QApplication>(argc, argv);
    ApplyIdentity();
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
    CPlayerDlg dialog;
    // Further arguments are ignored; Qt's own options are gone from argv by now.
    const char* commandLineFile = m_argc > 1 ? m_argv[1] : nullptr;
    if (!dialog.InitMediaFramework(commandLineFile)) {
        return 1;
    }
    dialog.exec();
    return 0;
}
