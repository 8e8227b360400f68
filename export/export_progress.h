#pragma once
// What an export tells the one who started it: how far it has come, and how it ended.

#include <cstdint>

namespace zv {

// Told how far an export has come, in frames; returning false cancels.
class IExportProgress {
public:
    virtual ~IExportProgress() = default;
    virtual bool Advance(std::uint64_t done, std::uint64_t total) = 0;
};

enum class ExportOutcome { Written, Failed, Cancelled };

}  // namespace zv
