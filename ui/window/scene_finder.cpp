#include "ui/window/scene_finder.h"

#include "ui/window/message_box.h"

CSceneFinder::CSceneFinder(QWidget* window) : m_pWindow(window), m_scanOwner(nullptr, &CurrentMessagePresenter()) {}

void CSceneFinder::AttachToWindow()
{
    m_scanOwner.SetOwner(m_pWindow);
    m_reader.SetOwner(&m_scanOwner);
}

bool CSceneFinder::Index(const char* path)
{
    if (m_reader.IsOpen()) {
        return true;
    }
    if (OpenAndIndex(m_reader, path)) {
        return true;
    }
    ShowLastErrorBox(m_pWindow, "Unable to index the AVI file", m_reader.IndexProblem());
    m_reader.Close();
    return false;
}

bool CSceneFinder::Scan()
{
    m_pProgress = std::make_unique<CProgressPopup>(m_pWindow, QStringLiteral("Processing"), false);
    m_pProgress->BeginModal();
    m_pProgress->SetRange(0, 100, 1);
    m_pProgress->SetMessageText("Scanning for scene changes ...");
    const bool scanned = m_reader.ScanScenes(m_pProgress.get());
    // The scan has returned, so the popup's pump is no longer on the stack; deleting it re-enables the window.
    m_pProgress.reset();
    return scanned;
}

void CSceneFinder::CancelForClose()
{
    if (m_pProgress) {
        m_reader.SetOwner(nullptr);
        m_pProgress->OnCancelClicked();
    }
}

std::int64_t CSceneFinder::SceneStartFrom(std::int64_t current, bool next) const
{
    return next ? m_reader.NextSceneStart(current) : m_reader.PreviousSceneStart(current);
}
