#include "bench/test_pattern.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

std::shared_ptr<const fixture::DvPictures> TestPatternPictures(const std::string& folder, fixture::DvSystem system,
                                                               int frames)
{
    const bool pal = fixture::Is625(system);
    const std::string raw = folder + (pal ? "/test_pattern_pal.dv" : "/test_pattern_ntsc.dv");
    // The sampling each system's DV carries: 4:2:0 for 625/50, 4:1:1 for 525/60.
    const std::string command = std::string("ffmpeg -v error -y -f lavfi -i testsrc2=size=")
                              + (pal ? "720x576:rate=25" : "720x480:rate=30000/1001") + " -frames:v "
                              + std::to_string(frames) + " -c:v dvvideo -pix_fmt " + (pal ? "yuv420p" : "yuv411p")
                              + " -f dv '" + raw + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cannot encode the test pattern (%s)\n", command.c_str());
        return nullptr;
    }
    auto pictures = std::make_shared<fixture::DvPictures>();
    std::string error;
    const bool loaded = fixture::LoadDvPictures(raw, system, *pictures, &error);
    std::remove(raw.c_str());
    if (!loaded) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return nullptr;
    }
    return pictures;
}

fixture::ClipOptions SceneClip(fixture::AviIndex index, int frames, bool sparse)
{
    fixture::ClipOptions options;
    options.index = index;
    options.sparse = sparse;
    for (int done = 0, i = 0; done < frames; ++i) {
        const int n = std::min(400, frames - done);
        options.scenes.push_back({{2004, 7, 1 + i / 20, 10, (i % 20) * 2, 0}, n});
        done += n;
    }
    return options;
}

void WriteClipOrExit(const std::string& path, const fixture::ClipOptions& options)
{
    std::string error;
    if (!fixture::WriteCamcorderClip(path, options, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
        std::exit(1);
    }
}

}  // namespace bench
