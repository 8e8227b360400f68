#include "report/png_output.h"

#include <cerrno>
#include <cstdint>
#include <vector>

#include "avi/last_error.h"
#include "report/output_file.h"
#include "report/png_encoder.h"

bool RefuseOutputOverInput(const char* input, const std::string& output, std::FILE* err)
{
    if (!zv::OutputIsInput(input, output.c_str()))
        return false;
    std::fprintf(err, "Unable to write %s\n\nIt is the file being read; choose another output name.\n",
                 output.c_str());
    return true;
}

bool WritePng(const QImage& image, const std::string& path, std::FILE* err)
{
    const std::vector<std::uint8_t> bytes = EncodePng(image);
    if (bytes.empty()) {
        std::fprintf(err, "Unable to write %s\n\nThe image could not be encoded as PNG.\n", path.c_str());
        return false;
    }
    if (!zv::WriteFileReplacing(path, bytes.data(), bytes.size())) {
        std::fprintf(err, "%s\n", LastErrorMessage(("Unable to write " + path).c_str()).c_str());
        return false;
    }
    return true;
}
