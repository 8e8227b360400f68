#include "report/output_file.h"

namespace zv {

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size)
{
    CTemporaryOutput output;
    return output.Create(path, size) && output.Write(data, size) && output.Commit();
}

}  // namespace zv
