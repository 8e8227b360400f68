#pragma once
// The file dialog of File > Open: "Select file to play...", AVI files of any case listed by default,
// centred on the screen.

#include <QByteArray>

class QWidget;

// The chosen file's path in the file system's encoding; empty when the person cancelled.
QByteArray ChooseMediaFile(QWidget* owner);
