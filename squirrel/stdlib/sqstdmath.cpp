#include <sqstdmath.h>

#include "sqstdstream.h"

#include <cmath>
#include <cstdlib>

namespace {

SQFloat floatArg(HSQUIRRELVM v, SQInteger idx)
{
    SQFloat f = 0;
    sq_getfloat(v, idx, &f);
    return f;
}

// Computed in double by the C library and rounded to the script's single precision.
template <double (*F)(double)>
SQInteger unary(HSQUIRRELVM v)
{
    sq_pushfloat(v, static_cast<SQFloat>(F(static_cast<double>(floatArg(v, 2)))));
    return 1;
}

template <double (*F)(double, double)>
SQInteger binary(HSQUIRRELVM v)
{
    sq_pushfloat(v, static_cast<SQFloat>(F(static_cast<double>(floatArg(v, 2)), static_cast<double>(floatArg(v, 3)))));
    return 1;
}

double cSqrt(double x) { return std::sqrt(x); }
double cSin(double x) { return std::sin(x); }
double cCos(double x) { return std::cos(x); }
double cAsin(double x) { return std::asin(x); }
double cAcos(double x) { return std::acos(x); }
double cLog(double x) { return std::log(x); }
double cLog10(double x) { return std::log10(x); }
double cTan(double x) { return std::tan(x); }
double cAtan(double x) { return std::atan(x); }
double cFloor(double x) { return std::floor(x); }
double cCeil(double x) { return std::ceil(x); }
double cExp(double x) { return std::exp(x); }
double cFabs(double x) { return std::fabs(x); }
double cAtan2(double y, double x) { return std::atan2(y, x); }
double cPow(double x, double y) { return std::pow(x, y); }

SQInteger math_abs(HSQUIRRELVM v)
{
    SQInteger n = 0;
    sq_getinteger(v, 2, &n);
    // The minimum integer stays itself, as 32-bit negation wraps.
    auto u = static_cast<unsigned>(n);
    sq_pushinteger(v, n < 0 ? static_cast<SQInteger>(0u - u) : n);
    return 1;
}

SQInteger math_srand(HSQUIRRELVM v)
{
    SQInteger seed = 0;
    if (SQ_FAILED(sq_getinteger(v, 2, &seed)))
        return sq_throwerror(v, "invalid param");
    std::srand(static_cast<unsigned>(seed));
    return 0;
}

SQInteger math_rand(HSQUIRRELVM v)
{
    sq_pushinteger(v, std::rand());
    return 1;
}

const SQRegFunction kMathFunctions[] = {
    {"sqrt", unary<cSqrt>, 2, ".n"},
    {"sin", unary<cSin>, 2, ".n"},
    {"cos", unary<cCos>, 2, ".n"},
    {"asin", unary<cAsin>, 2, ".n"},
    {"acos", unary<cAcos>, 2, ".n"},
    {"log", unary<cLog>, 2, ".n"},
    {"log10", unary<cLog10>, 2, ".n"},
    {"tan", unary<cTan>, 2, ".n"},
    {"atan", unary<cAtan>, 2, ".n"},
    {"atan2", binary<cAtan2>, 3, ".nn"},
    {"pow", binary<cPow>, 3, ".nn"},
    {"floor", unary<cFloor>, 2, ".n"},
    {"ceil", unary<cCeil>, 2, ".n"},
    {"exp", unary<cExp>, 2, ".n"},
    {"srand", math_srand, 2, ".n"},
    {"rand", math_rand, 1, nullptr},
    {"fabs", unary<cFabs>, 2, ".n"},
    {"abs", math_abs, 2, ".n"},
    {nullptr, nullptr, 0, nullptr},
};

} // namespace

extern "C" SQRESULT sqstd_register_mathlib(HSQUIRRELVM v)
{
    for (const SQRegFunction *f = kMathFunctions; f->name; ++f)
        sqstdRegisterFunction(v, -1, *f, true);
    sq_pushstring(v, "RAND_MAX", -1);
    sq_pushinteger(v, RAND_MAX);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "PI", -1);
    sq_pushfloat(v, static_cast<SQFloat>(3.14159265358979323846));
    sq_newslot(v, -3, SQFalse);
    return SQ_OK;
}
