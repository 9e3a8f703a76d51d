#!/usr/bin/env python3
"""Derives the constants of src/language/UPortableMath.cpp with mpmath.

Prints C++ lines: the polynomial coefficients (near-minimax Chebyshev fits,
checked again after rounding to double), the pieces of pi/2, the arctangent
table and the bits of 2/pi for the reduction of huge arguments.
"""
from mpmath import mp, mpf, sqrt, sin, cos, atan, pi, chebyfit, ldexp, floor

mp.prec = 300


def d(x):
    """Nearest double, printed exactly as a hexadecimal literal."""
    return float(x).hex()


def fit(name, f, zmax, degree):
    coeffs, err = chebyfit(f, [mpf(0), zmax], degree + 1, error=True)
    coeffs = [float(c) for c in coeffs]  # highest power first
    worst = max(abs(sum(mpf(c) * z ** (len(coeffs) - 1 - i) for i, c in enumerate(coeffs)) - f(z))
                for z in [zmax * k / 400 for k in range(1, 401)])
    print(f"// {name}: fit error {float(err):.3g}, after rounding {float(worst):.3g}")
    for i, c in enumerate(reversed(coeffs)):
        print(f"constexpr double {name}{i} = {c.hex()};")


# |r| stays below pi/4 plus the slack of a rounded quotient.
zmax = (pi / 4 + mpf("0.001")) ** 2
fit("SinQ", lambda z: (sin(sqrt(z)) - sqrt(z) + z * sqrt(z) / 6) / (z * z * sqrt(z)), zmax, 5)
fit("CosQ", lambda z: (cos(sqrt(z)) - 1 + z / 2 - z * z / 24) / (z * z * z), zmax, 5)
# Reduced arctangent argument: |t| <= 1/32 plus slack.
tz = (mpf(1) / 32 + mpf("0.0005")) ** 2
fit("AtanQ", lambda z: (atan(sqrt(z)) - sqrt(z)) / (z * sqrt(z)), tz, 5)

# The two largest terms' coefficients as pairs hi + lo.
for name, c in (("SinS1", mpf(-1) / 6), ("CosC2", mpf(1) / 24)):
    h = mpf(float(c))
    print(f"constexpr double {name} = {d(h)};")
    print(f"constexpr double {name}Lo = {d(c - h)};")

# pi/2 in pieces of 33 bits (so k * piece is exact for k < 2^20) and a tail.
rest = pi / 2
for i in range(3):
    e = int(floor(mp.log(rest, 2)))
    piece = floor(ldexp(rest, 32 - e)) * ldexp(1, e - 32)
    print(f"constexpr double PiHalf{i + 1} = {d(piece)};")
    assert float(piece) == piece
    rest -= piece
print(f"constexpr double PiHalf4 = {d(rest)};")
hi = mpf(float(pi / 2))
print(f"constexpr double PiHalfHi = {d(hi)};")
print(f"constexpr double PiHalfLo = {d(pi / 2 - hi)};")
print(f"constexpr double TwoOverPi = {d(2 / pi)};")
print(f"constexpr double PiQuarter = {d(pi / 4)};")

# atan(k/16) and pi/2 - atan(k/16) as pairs hi + lo.
def pair(x):
    h = mpf(float(x))
    return f"{{{d(h)}, {d(x - h)}}}"
print("constexpr double AtanTable[17][2] = {")
for k in range(17):
    print(f"    {pair(atan(mpf(k) / 16))},")
print("};")
print("constexpr double AtanComplementTable[17][2] = {")
for k in range(17):
    print(f"    {pair(pi / 2 - atan(mpf(k) / 16))},")
print("};")

# Bits of 2/pi, most significant first, 32 to a word.
words = 40
with mp.workprec(32 * words + 64):
    bits = int(floor(ldexp(2 / pi, 32 * words)))
ws = [(bits >> (32 * (words - 1 - i))) & 0xFFFFFFFF for i in range(words)]
print(f"constexpr std::uint32_t TwoOverPiBits[{words}] = {{")
for i in range(0, words, 6):
    print("    " + ", ".join(f"0x{w:08X}" for w in ws[i:i + 6]) + ",")
print("};")
