// CPlayerDlg start-up after the window's own set-up: the media framework, the renderers this machine
// has, the settings of the run and the file named on the command line.

#include "ui/window/player_dlg.h"

#include "ui/window/command_ids.h"
#include "ui/window/dialog_client.h"
#include "ui/window/message_box.h"
#include "ui/window/renderer_probe.h"

#include <QCoreApplication>

#include <gst/gst.h>

#include <string>

bool CPlayerDlg::InitMediaFramework(const char* commandLineFile)
{
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        g_clear_error(&error);
        ShowErrorBox(nullptr, "Unable to initialize the media framework.", "Error!");
        return false;
    }

    std::string missing;
    m_nRendererMask = ProbeRenderers(&missing);
    if (m_nRendererMask == 0) {
        // What to install follows the message, after an empty line as a system text would.
        const std::string text = "Unable to find suitable renderer.\n\n" + missing;
        ShowErrorBox(nullptr, text.c_str(), "Error!");
        return false;
    }

    m_settings = LoadSettings(m_nRendererMask);
    m_scenes.AttachToWindow();

    if (commandLineFile != nullptr) {
        m_commandLineFile = commandLineFile;
        m_bHandOverPending = true;
        if (m_pClient->Painted()) {
            PostCommandLineHandOver();
        }
    }
    return true;
}

void CPlayerDlg::PostCommandLineHandOver()
{
    // Posted once the window has been painted, so the file opens with the window already on the screen
    // (the open blocks the window for as long as the graph takes to build and pause).
    if (m_bHandOverPending) {
        m_bHandOverPending = false;
        QCoreApplication::postEvent(this, new QEvent(kOpenCommandLineEvent));
    }
}
