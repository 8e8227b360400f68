// What the command-line tests share: the binary run from the build tree, files read whole, lines, and a
// scratch folder per test suite with its own settings folder (the stored date format must be absent).
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/fixtures/camcorder_clip.h"
#include "tests/support/run_process.h"

namespace cli_test {

inline ProcessResult RunZenkVuvaz(std::vector<std::string> args)
{
    args.insert(args.begin(), std::string(ZV_BUILD_DIR) + "/zenk-vuvaz");
    return RunProcess(args);
}

inline std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline fixture::ClipOptions Clip(fixture::DvSystem system, fixture::AviLayout layout, fixture::AviIndex index,
                                 std::vector<fixture::Scene> scenes)
{
    fixture::ClipOptions o;
    o.system = system;
    o.layout = layout;
    o.index = index;
    o.scenes = std::move(scenes);
    return o;
}

class ScratchSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/zv-cli-XXXXXX";
        s_dir = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", (s_dir + "/config").c_str(), 1);
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + s_dir + "'").c_str()); }

    static std::string Write(const std::string& name, const fixture::ClipOptions& options)
    {
        const std::string path = s_dir + "/" + name;
        std::string error;
        EXPECT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
        return path;
    }

    static inline std::string s_dir;
};

}  // namespace cli_test
