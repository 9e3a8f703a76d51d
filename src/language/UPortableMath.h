#pragma once
// Sine, cosine, arctangent and hypotenuse that give the same bits on every
// platform: the C libraries we build against round the last bit of these four
// differently, and a drawing must come out pixel for pixel the same wherever
// it runs. Only additions, multiplications, divisions and the square root are
// used (all correctly rounded by IEEE 754), in a fixed order: the unit is
// compiled without contraction into fused multiply-adds.
//
// Results are within one unit in the last place of the exact value, nearly
// always the nearest double. Special values behave as in C: NaN gives NaN,
// sin and cos of an infinity give NaN, atan(+-inf) is +-pi/2, signed zeros
// keep their sign, hypot with an infinite side is +inf even beside a NaN.

namespace PortableMath {

double Sin(double x);
double Cos(double x);
double Atan(double x);
double Hypot(double x, double y);

} // namespace PortableMath
