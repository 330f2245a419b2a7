#!/usr/bin/python3
"""compare_sound.py EXPECTED.wav PLAYED.raw

Finds where the sound of EXPECTED.wav (16-bit stereo PCM) begins in PLAYED.raw (the same samples
as a device records them, with whatever it played before) and checks that all of it follows
there, sample for sample. Frames of silence (both samples 0) are left out of both first: a device
that records faster than it plays, as an ALSA file device does, is given silence whenever the
program's sound thread has not refilled its buffers in time. Prints what it found; status 1
unless every audible frame is equal.
"""
import struct
import sys

FRAME_BYTES = 4  # 16-bit stereo
NEEDLE_FRAMES = 1024
SILENT_FRAME = bytes(FRAME_BYTES)


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


def audible(data):
    """The frames of DATA that are not silent, joined, and the index of each in DATA."""
    frames = [data[at : at + FRAME_BYTES] for at in range(0, len(data) - FRAME_BYTES + 1, FRAME_BYTES)]
    kept = [index for index, frame in enumerate(frames) if frame != SILENT_FRAME]
    return b"".join(frames[index] for index in kept), kept


def main(expected_path, played_path):
    expected_data, rate = wav_samples(expected_path)
    with open(played_path, "rb") as file:
        played_data = file.read()
    expected, _ = audible(expected_data)
    played, places = audible(played_data)
    frames = len(expected) // FRAME_BYTES
    needle = expected[: NEEDLE_FRAMES * FRAME_BYTES]
    start = played.find(needle)
    while start >= 0 and start % FRAME_BYTES != 0:
        start = played.find(needle, start + 1)
    if start < 0:
        print(f"the first {NEEDLE_FRAMES} audible frames of {expected_path} are nowhere in the {len(places)}"
              f" audible frames played; first samples expected {struct.unpack('<8h', expected[:16])}")
        return 1
    equal = 0
    while equal < frames and played[start + equal * FRAME_BYTES : start + (equal + 1) * FRAME_BYTES] == \
            expected[equal * FRAME_BYTES : (equal + 1) * FRAME_BYTES]:
        equal += 1
    first = start // FRAME_BYTES
    silence = places[first + equal - 1] - places[first] + 1 - equal
    print(f"{equal} of {frames} audible frames ({len(expected_data) // FRAME_BYTES / rate:.2f} s) equal, from frame"
          f" {places[first]} played, with {silence} silent frames played among them")
    return 0 if equal == frames else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
