#pragma once
// How the reader's arrays grow: capacity always a whole number of steps (750 frame offsets, 50 scene
// starts), and at least half again as large each time so a long file costs few reallocations.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace zv {

// Makes room for extra more elements. May throw std::bad_alloc.
template <class T>
void GrowInSteps(std::vector<T>& values, std::size_t extra, std::size_t step)
{
    const std::size_t needed = values.size() + extra;
    if (needed <= values.capacity())
        return;
    const std::size_t target = std::max(needed, values.capacity() + values.capacity() / 2);
    values.reserve((target + step - 1) / step * step);
}

// Empties values and hands its storage back.
template <class T>
void ReleaseStorage(std::vector<T>& values)
{
    std::vector<T>().swap(values);
}

}  // namespace zv
