#pragma once
// Number commands.  Dividing by zero is a runtime error: the program shows
// the error box and ends.

namespace quillet {

// The quotient truncated toward zero: -7 / 2 gives -3.
double IntegerDivide(double a, double b);

// The remainder of a / b with the sign of a: -7 % 2 gives -1.
double Remainder(double a, double b);

double SquareRoot(double a);

} // namespace quillet
