#include "avi/quicktime_boxes.h"

#include "avi/file_io.h"
#include "avi/fourcc.h"

namespace zv {

namespace {

constexpr std::int64_t kHeaderBytes = 8;
constexpr std::int64_t kLargeHeaderBytes = 16;

}  // namespace

QtBoxRead ReadBoxHeader(int fd, std::int64_t position, std::int64_t parentEnd, std::int64_t fileSize, QtBox& out)
{
    if (position < 0 || parentEnd - position < kHeaderBytes)
        return QtBoxRead::End;
    // Past the parent's end is past the file's when the parent runs to the end of the file: a cut file.
    const QtBoxRead overrun = parentEnd >= fileSize ? QtBoxRead::Truncated : QtBoxRead::Invalid;
    std::uint8_t header[kLargeHeaderBytes];
    if (!ReadExactAt(fd, header, kHeaderBytes, position))
        return QtBoxRead::ReadError;
    const std::uint32_t size32 = LoadBe32(header);
    const std::int64_t headerBytes = size32 == 1 ? kLargeHeaderBytes : kHeaderBytes;
    if (parentEnd - position < headerBytes)
        return overrun;
    if (size32 == 1 && !ReadExactAt(fd, header + kHeaderBytes, kHeaderBytes, position + kHeaderBytes))
        return QtBoxRead::ReadError;
    std::uint64_t size = size32;
    if (size32 == 1)
        size = LoadBe64(header + kHeaderBytes);
    else if (size32 == 0)
        size = static_cast<std::uint64_t>(parentEnd - position);
    if (size < static_cast<std::uint64_t>(headerBytes))
        return QtBoxRead::Invalid;
    if (size > static_cast<std::uint64_t>(parentEnd - position))
        return overrun;
    out.type = LoadLe32(header + 4);
    out.start = position;
    out.data = position + headerBytes;
    out.end = position + static_cast<std::int64_t>(size);
    return QtBoxRead::Found;
}

QtBoxRead FindChildBox(int fd, const QtBox& parent, std::int64_t fileSize, std::uint32_t type, QtBox& out)
{
    std::int64_t position = parent.data;
    for (int seen = 0; seen < kMaxBoxesPerParent; ++seen) {
        QtBox child;
        const QtBoxRead read = ReadBoxHeader(fd, position, parent.end, fileSize, child);
        if (read != QtBoxRead::Found)
            return read;
        if (child.type == type) {
            out = child;
            return QtBoxRead::Found;
        }
        position = child.end;
    }
    return QtBoxRead::Invalid;
}

QtBoxRead FindBoxPath(int fd, const QtBox& parent, std::int64_t fileSize, const std::uint32_t* types, int count,
                      QtBox& out)
{
    QtBox box = parent;
    for (int i = 0; i < count; ++i) {
        const QtBoxRead read = FindChildBox(fd, box, fileSize, types[i], box);
        if (read != QtBoxRead::Found)
            return read;
    }
    out = box;
    return QtBoxRead::Found;
}

}  // namespace zv
