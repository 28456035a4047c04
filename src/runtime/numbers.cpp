#include "runtime/numbers.h"

#include "runtime/runtime_error.h"

#include <cmath>

namespace quillet {

double IntegerDivide(double a, double b)
{
    if (b == 0.0)
        RuntimeError("不能整除于零");
    return std::trunc(a / b);
}

double Remainder(double a, double b)
{
    if (b == 0.0)
        RuntimeError("不能求余数于零");
    return std::fmod(a, b);
}

double SquareRoot(double a)
{
    return std::sqrt(a);
}

} // namespace quillet
