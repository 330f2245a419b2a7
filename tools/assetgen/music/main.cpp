// Synthesises the show's soundtrack and writes it as an MP3 file.
//
//     voxelshow-music OUTPUT.mp3
//
// The output is the same bytes on every run: the piece, its noise and the encoder are all
// deterministic.
#include <cstdio>
#include <exception>

#include "arrangement.h"
#include "limiter.h"
#include "mixer.h"
#include "mp3_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: voxelshow-music OUTPUT.mp3\n");
        return 2;
    }
    try {
        music::StereoBuffer piece = music::MixPiece(music::ThePiece());
        music::Limiter{}.Process(piece);
        music::WriteFileAtomically(argv[1], music::EncodeMp3(piece, {}));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "voxelshow-music: %s\n", error.what());
        return 1;
    }
    return 0;
}
