#pragma once
// The report's commands. Each writes its result to `out`, its complaints to `err`, and returns the exit status.

#include <cstdio>

#include "report/report_options.h"

int RunCheckCommand(const ReportOptions& options, std::FILE* out, std::FILE* err);
int RunMetadataCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* out, std::FILE* err);
int RunScenesCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* out, std::FILE* err);
int RunSplitCommand(const ReportOptions& options, std::FILE* out, std::FILE* err);
int RunSubtitlesCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* err);
// Needs a QGuiApplication (fonts).
int RunStripCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* err);
