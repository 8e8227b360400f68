#pragma once
// The main window's message boxes. Every box goes through one presenter slot: normally the QMessageBox
// presenter the dialogs share; a test puts a recorder in its place that answers for the person at the
// screen.

#include "ui/dialogs/message_presenter.h"

#include <string>

class QWidget;

// Puts presenter in place (nullptr restores the real boxes) and returns the previous one (nullptr when the
// real boxes were in place). Not owned.
IMessageBoxPresenter* SetMessagePresenter(IMessageBoxPresenter* presenter);

// A presenter that shows through whatever presenter is in place at the time of each box; for windows that
// take a presenter once (the scene scan's owner).
IMessageBoxPresenter& CurrentMessagePresenter();

// A modal box with the error icon and a single OK button. Texts are UTF-8.
void ShowErrorBox(QWidget* owner, const char* text, const char* title);

// A modal box with the information icon and a single OK button.
void ShowInformationBox(QWidget* owner, const char* text, const char* title);
// A question with Yes and No, No the default: true when the person answers Yes.
bool AskQuestion(QWidget* owner, const char* text, const char* title);

// message, an empty line and the system's text for errno as it stands at the call, titled "Error!".
// Call it straight after the failing step: anything in between may change errno.
void ShowLastErrorBox(QWidget* owner, const char* message);
// The same with detail, when not empty, as a last line: what was wrong and where.
void ShowLastErrorBox(QWidget* owner, const char* message, const std::string& detail);
