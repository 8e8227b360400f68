#pragma once
// CFileNames: the full path and the file-name part of the file the window plays, as the open sequence
// needs them. A name is taken before the file is checked; a refused file gives the names back to the file
// that goes on playing, so the scene commands still index that one.

#include <cstddef>

class CFileNames {
public:
    static constexpr std::size_t kPathBufferSize = 261;   // a path of at most 259 characters fits
    static constexpr std::size_t kMaxPathLength = 259;    // what the graph builder accepts

    // Takes path as the new file's, keeping the names before for Restore. False, with nothing changed, for
    // a path longer than the graph builder takes: it is refused whole rather than opened shortened.
    bool Store(const char* path);
    // Back to the names before the last Store.
    void Restore();

    const char* Path() const { return m_szPath; }
    const char* FileTitle() const { return m_szFileTitle; }

private:
    char m_szFileTitle[kPathBufferSize] = {};
    char m_szPath[kPathBufferSize] = {};
    char m_szPreviousFileTitle[kPathBufferSize] = {};
    char m_szPreviousPath[kPathBufferSize] = {};
};
