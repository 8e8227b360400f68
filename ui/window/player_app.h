#pragma once
// CPlayerApp: the player process. Owns the Qt application, builds the main window, runs it modally and
// ends when it closes.

#include <QApplication>

#include <memory>

class CPlayerApp {
public:
    // argc and argv as main() received them; Qt takes its own options out of them.
    CPlayerApp(int& argc, char** argv);
    ~CPlayerApp();
    CPlayerApp(const CPlayerApp&) = delete;
    CPlayerApp& operator=(const CPlayerApp&) = delete;

    // Runs the whole program: main window set-up, media framework, settings, the modal run. Returns the
    // exit status: 0 after a normal close, 1 when start-up failed (the reason was shown).
    int InitInstance();

    // The program's names as the application object carries them (settings location, window system).
    // Needs the application object; the tests that show the program's windows use it too.
    static void ApplyIdentity();

private:
    int& m_argc;
    char** m_argv;
    std::unique_ptr<QApplication> m_application;
};
