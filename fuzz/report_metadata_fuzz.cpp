// Arbitrary files through the report's --metadata and --scenes commands: the gate, the index, whole-frame
// reads sized by each chunk's own header, and the field texts of every frame.

#include "fuzz/memory_file.h"
#include "report/report_commands.h"
#include "report/report_options.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::FILE* g_null = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_null = std::fopen("/dev/null", "w");
    if (g_null == nullptr)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zvfuzz::MemoryFile& file = zvfuzz::InputFile();
    file.Assign(data, size);

    ReportOptions options;
    options.command = ReportCommand::Metadata;
    options.path = file.Path();
    const std::int32_t dateOrder = size > 0 ? data[size - 1] % 3 : 1;
    const int metadata = RunMetadataCommand(options, dateOrder, g_null, g_null);
    options.command = ReportCommand::Scenes;
    const int scenes = RunScenesCommand(options, dateOrder, g_null, g_null);
    if ((metadata != 0 && metadata != 1) || (scenes != 0 && scenes != 1))
        std::abort();
    return 0;
}
