#pragma once
#include "audio/decoder.h"

// The per-format halves behind Decoder, each format in its own file.
int OpenMp3Decoder(Decoder& decoder, const char* path);
int OpenVorbisDecoder(Decoder& decoder, const char* path);
int ReadModuleFrames(Decoder& decoder, float* frames, int maxFrames);
int ReadMp3Frames(Decoder& decoder, float* frames, int maxFrames);
int ReadVorbisFrames(Decoder& decoder, float* frames, int maxFrames);
void SeekModule(Decoder& decoder, uint64_t frame);
void SeekMp3(Decoder& decoder, uint64_t frame);
void SeekVorbis(Decoder& decoder, uint64_t frame);
void CloseModule(Decoder& decoder);
void CloseMp3(Decoder& decoder);
void CloseVorbis(Decoder& decoder);
