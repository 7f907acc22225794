// Build step: writes the program's tunes as standard MIDI files into the share folder.
//   tonvale_writesongs <folder>
#include "platform/songs/tunes.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const struct {
        const char* file;
        platform::Tune tune;
    } songs[] = {{"fugue7.mid", platform::fugue7Tune()}, {"done.mid", platform::doneTune()}};
    for (const auto& s : songs) {
        platform::SmfFile smf;
        std::string error;
        if (!platform::buildSmf(s.tune, &smf, &error)) {
            std::fprintf(stderr, "%s: %s\n", s.file, error.c_str());
            return 1;
        }
        if (!smf.write(dir + "/" + s.file)) {
            std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), s.file);
            return 1;
        }
    }
    return 0;
}
