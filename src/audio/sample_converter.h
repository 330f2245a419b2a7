#pragma once

// A queue that takes float frames of one rate and channel count and gives stereo float
// frames at the device's rate. Each platform's backend provides it.
struct SampleConverter;

// Null if it cannot be made.
SampleConverter* NewSampleConverter(int channels, int rate, int outputRate);
// Adds `bytes` bytes of input frames; false on failure.
bool ConverterPut(SampleConverter* converter, const float* samples, int bytes);
// Takes up to `bytes` bytes of converted samples; returns how many bytes it gave (0 or more).
int ConverterGet(SampleConverter* converter, float* samples, int bytes);
// Bytes of converted samples ready to take.
int ConverterAvailable(SampleConverter* converter);
// Converts what it still holds back, for the end of the input.
void ConverterFlush(SampleConverter* converter);
// Drops everything it holds.
void ConverterClear(SampleConverter* converter);
void FreeSampleConverter(SampleConverter* converter);
