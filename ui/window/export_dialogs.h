#pragma once
// The file dialogs of File > Export: the folder the scene files go to, and the subtitle file with its
// format (SubRip or WebVTT) chosen by the dialog's filter.

#include "export/subtitle_file.h"

#include <string>

class QString;
class QWidget;

// The chosen folder's path in the file system's encoding; empty when the person cancelled. Opens on
// startFolder.
std::string ChooseSceneFolder(QWidget* owner, const QString& startFolder);

struct SubtitleTarget {
    std::string path;   // empty when the person cancelled
    zv::SubtitleFormat format = zv::SubtitleFormat::SubRip;
};

// Offers suggested (a path without extension) under the SubRip filter. A name ending in ".srt" or ".vtt"
// is written in that format whatever the filter; any other name gets the filter's extension added, since
// players choose the reader by the extension.
SubtitleTarget ChooseSubtitleFile(QWidget* owner, const QString& suggested);
