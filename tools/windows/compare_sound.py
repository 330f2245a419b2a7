#!/usr/bin/python3
"""compare_sound.py EXPECTED.wav PLAYED.raw

Finds where the sound of EXPECTED.wav (16-bit stereo PCM) begins in PLAYED.raw (the same samples
as a device records them, with whatever it played before) and checks that all of it follows
there, sample for sample. Prints what it found; status 1 unless every frame is equal.
"""
import struct
import sys

FRAME_BYTES = 4  # 16-bit stereo
NEEDLE_FRAMES = 1024


def wav_samples(path):
    with open(path, "rb") as file:
        data = file.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise SystemExit(f"{path}: not a WAV file")
    at, layout = 12, None
    while at + 8 <= len(data):
        kind, size = data[at : at + 4], struct.unpack("<I", data[at + 4 : at + 8])[0]
        body = data[at + 8 : at + 8 + size]
        if kind == b"fmt ":
            layout = struct.unpack("<HHIIHH", body[:16])
        elif kind == b"data":
            if layout is None or layout[0] != 1 or layout[1] != 2 or layout[5] != 16:
                raise SystemExit(f"{path}: not 16-bit stereo PCM: {layout}")
            return body, layout[2]
        at += 8 + size + (size & 1)
    raise SystemExit(f"{path}: no sound data")


def main(expected_path, played_path):
    expected, rate = wav_samples(expected_path)
    with open(played_path, "rb") as file:
        played = file.read()
    frames = len(expected) // FRAME_BYTES
    start = played.find(expected[: NEEDLE_FRAMES * FRAME_BYTES])
    while start >= 0 and start % FRAME_BYTES != 0:
        start = played.find(expected[: NEEDLE_FRAMES * FRAME_BYTES], start + 1)
    if start < 0:
        print(f"the first {NEEDLE_FRAMES} frames of {expected_path} are nowhere in the {len(played) // FRAME_BYTES}"
              f" frames played; first samples expected {struct.unpack('<8h', expected[:16])}")
        return 1
    equal = 0
    while equal < frames and played[start + equal * FRAME_BYTES : start + (equal + 1) * FRAME_BYTES] == \
            expected[equal * FRAME_BYTES : (equal + 1) * FRAME_BYTES]:
        equal += 1
    print(f"{equal} of {frames} frames ({frames / rate:.2f} s) equal, from frame {start // FRAME_BYTES} played")
    return 0 if equal == frames else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
