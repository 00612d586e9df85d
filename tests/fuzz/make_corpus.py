#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: a few short call sequences in the input
format read by call_sequence_fuzzer.cpp, one per file in corpus/.

Usage: tests/fuzz/make_corpus.py  (rewrites tests/fuzz/corpus/)
"""
import os
import struct

# Export selectors: the first byte of each call, modulo 10.
CONSTRUCT, DESTRUCT, PROCESS, RATIO, PHASE_DIFF, PHASES, MAGNITUDES, \
    PHASE_NORM, FFT_NODE, FREQ_NODE = range(10)
SCALAR, SSE2, AVX2, AVX512, UNKNOWN_NAME, UNSET = range(6)

# Indices into the reader's table of awkward doubles.
ZERO, NEG_ZERO, ONE, NEG_ONE, HALF, PI, NEG_PI = 0, 1, 2, 3, 4, 5, 6
THREE_PI, GUARD, NEG_GUARD = 12, 17, 18
INF, NEG_INF, QNAN, NEG_QNAN, SNAN = 32, 33, 34, 35, 36
RATE_44100, RATE_48000 = 38, 39


def awkward(index):
    return bytes([index])


def small(eighths):  # an exact multiple of 1/8 in [-16, 16)
    return bytes([0x60, eighths & 0xFF])


def raw(value):
    return bytes([0xA0]) + struct.pack('<d', value)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def power_of_two_length(log2):  # 1 .. 2^16
    return bytes([log2]) if log2 <= 10 else bytes([0x80 + log2 - 11])


def special_length(index):  # see kSpecialLengths in session.cpp
    return bytes([0xF0, index])


def construct(backend, length, window=12):
    return bytes([CONSTRUCT, backend]) + length + bytes([window])


def pattern(*doubles):
    return bytes([0, len(doubles) - 1]) + b''.join(doubles)


def noise(seed):
    return bytes([1]) + u32(seed)


def noise_with(seed, placed):
    out = bytes([2]) + u32(seed) + bytes([len(placed)])
    for position, value in placed:
        out += u32(position) + value
    return out


def scaled_noise(seed, scale):
    return bytes([3]) + u32(seed) + scale


PREVIOUS = bytes([4])  # the last transform's output


def process(window, normalize, forward, content, layouts=(0, 0), back=0):
    # `back`: applyWindow byte of the inverse made for the round-trip check.
    return (bytes([PROCESS, window, normalize, forward]) + bytes(layouts) +
            content + bytes([back]))


def measure(which, content, layouts=(0, 0)):
    return bytes([which]) + bytes(layouts) + content


SEEDS = {
    'benchmark_loop': construct(UNSET, power_of_two_length(10)) +
    process(1, 0, 1, noise(7)) + measure(RATIO, PREVIOUS) +
    measure(PHASE_DIFF, PREVIOUS) + bytes([DESTRUCT]),
    'round_trip_flags': construct(AVX2, power_of_two_length(3), 1) +
    process(0, 0x80, 2, pattern(small(8), small(-3), small(20)), (1, 6), 9) +
    process(0, 0, 1, noise(3), (3, 1), 1) + process(5, 0, 0, PREVIOUS),
    'awkward_doubles': construct(SSE2, power_of_two_length(4), 3) + measure(
        PHASES,
        pattern(awkward(QNAN), awkward(GUARD), awkward(INF), awkward(NEG_ZERO),
                awkward(NEG_GUARD), awkward(NEG_INF), awkward(SNAN),
                raw(1e-310), awkward(PI)), (1, 2)) +
    measure(MAGNITUDES, scaled_noise(11, raw(1.5e154)), (0, 7)) +
    measure(RATIO, noise_with(5, [(3, awkward(ZERO)), (29, awkward(ZERO)),
                                  (2, awkward(NEG_QNAN))])) +
    measure(PHASE_DIFF, pattern(small(8), small(-8)), (1, 1)),
    'lengths_without_tables': construct(SCALAR, special_length(12), 0) +
    process(1, 1, 1, noise(1)) + measure(RATIO, noise(2)) +
    construct(AVX512, special_length(5), 7) + process(0, 0, 0, noise(4)) +
    measure(PHASES, noise(5), (1, 3)) + construct(UNKNOWN_NAME,
                                                  special_length(1)) +
    measure(MAGNITUDES, noise(6)) + bytes([DESTRUCT, DESTRUCT]),
    'angles_and_bins': b''.join(
        bytes([PHASE_NORM]) + a for a in
        (awkward(PI), awkward(NEG_PI), awkward(THREE_PI), awkward(NEG_ZERO),
         awkward(INF), awkward(QNAN), raw(7.0), raw(-6500.0), raw(1e17))) +
    construct(SSE2, power_of_two_length(10)) +
    bytes([FFT_NODE]) + raw(430.7) + awkward(RATE_44100) +
    bytes([FFT_NODE]) + raw(-431.0) + awkward(RATE_44100) +
    bytes([FFT_NODE]) + raw(1e12) + awkward(RATE_48000) +
    bytes([FFT_NODE]) + awkward(ONE) + awkward(ZERO) +
    bytes([FREQ_NODE, 0, 10]) + awkward(RATE_44100) +
    bytes([FREQ_NODE, 0x80]) + u32(-7) + awkward(RATE_48000) +
    bytes([DESTRUCT, FREQ_NODE, 0, 1]) + awkward(NEG_ONE),
    'before_any_setup': process(1, 0, 1, noise(9)) +
    measure(PHASE_DIFF, pattern(awkward(HALF))) +
    bytes([FFT_NODE]) + awkward(ONE) + awkward(RATE_44100) +
    bytes([FREQ_NODE, 0, 0]) + awkward(ONE) + bytes([DESTRUCT]),
    'replaced_setup': construct(AVX512, power_of_two_length(1), 13) +
    process(1, 1, 1, pattern(small(3), small(5))) +
    construct(SSE2, power_of_two_length(12), 0xF0) + u32(0xFFFFFFFF) +
    process(1, 0, 1, noise(12), (1, 0)) + measure(PHASES, PREVIOUS, (0, 1)),
}


def main():
    directory = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                             'corpus')
    os.makedirs(directory, exist_ok=True)
    for name in os.listdir(directory):
        os.remove(os.path.join(directory, name))
    for name, data in SEEDS.items():
        with open(os.path.join(directory, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
