#pragma once
// The report's image outputs: refused when they would replace the file being read, written whole or not
// at all (see output_file.h). Complaints go to `err` in the report's words.

#include <cstdio>
#include <string>

class QImage;

// True after writing the refusal to `err` when `output` is the input file itself (through any link).
bool RefuseOutputOverInput(const char* input, const std::string& output, std::FILE* err);

// Encodes `image` as PNG and writes it to `path`. False after writing "Unable to write PATH" and the
// system's reason to `err`.
bool WritePng(const QImage& image, const std::string& path, std::FILE* err);
