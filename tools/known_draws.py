#!/usr/bin/env python3
"""Computes the die's first draws for a few seeds from the generator's
published definitions alone, for the known-answer test in
tests/draw_source_test.cpp; run by hand, its output is written down there.

    tools/known_draws.py

It shares nothing with the C++ code: SplitMix64 and xoshiro256++ are
written out afresh, and the lanes 2^128 steps apart are found without the
jump polynomial, by raising the matrix of one step over GF(2) to the power
2^128 (128 squarings of a 256 x 256 bit matrix).
"""

MASK = (1 << 64) - 1


def rotl(x, k):
    return ((x << k) | (x >> (64 - k))) & MASK


def splitmix64(counter):
    counter = (counter + 0x9E3779B97F4A7C15) & MASK
    z = counter
    z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
    z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
    return counter, z ^ (z >> 31)


def step(s):
    """One step of xoshiro256++: the output and the next state."""
    s0, s1, s2, s3 = s
    out = (rotl((s0 + s3) & MASK, 23) + s0) & MASK
    t = (s1 << 17) & MASK
    s2 ^= s0
    s3 ^= s1
    s1 ^= s2
    s0 ^= s3
    s2 ^= t
    s3 = rotl(s3, 45)
    return out, (s0, s1, s2, s3)


def to_bits(s):
    return sum(w << (64 * i) for i, w in enumerate(s))


def from_bits(v):
    return tuple((v >> (64 * i)) & MASK for i in range(4))


def step_matrix():
    """Column j is the image of unit state j: the step is linear over GF(2)."""
    return [to_bits(step(from_bits(1 << j))[1]) for j in range(256)]


def apply(columns, v):
    r = 0
    j = 0
    while v:
        if v & 1:
            r ^= columns[j]
        v >>= 1
        j += 1
    return r


def square(columns):
    return [apply(columns, c) for c in columns]


def main():
    power = step_matrix()
    for _ in range(128):
        power = square(power)
    for seed in (0, 1, 0xFFFFFFFF):
        counter = seed
        lane = []
        for _ in range(4):
            counter, w = splitmix64(counter)
            lane.append(w)
        lanes = [tuple(lane)]
        for _ in range(7):  # eight lanes in all
            lanes.append(from_bits(apply(power, to_bits(lanes[-1]))))
        draws = []
        for _ in range(2):  # two blocks
            for j, s in enumerate(lanes):
                out, lanes[j] = step(s)
                # The high 15 bits of each 16-bit piece, low piece first.
                draws += [(out >> (16 * k + 1)) & 0x7FFF for k in range(4)]
        print(f"seed {seed:#x}: {', '.join(str(d) for d in draws)}")


if __name__ == "__main__":
    main()
