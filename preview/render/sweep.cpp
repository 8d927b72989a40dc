// The steps of a sweep.
#include "sweep.h"

namespace preview {

MaterialValue Sweep::valueAt(int step) const
{
    // FROM + (TO - FROM) t need not give TO at t = 1 in floats (1e10 to 0.5
    // gives 0): the ends are the values typed.
    if (step <= 0) return from;
    if (step >= steps - 1) return to;
    return interpolate(from, to, float(step) / float(steps - 1));
}

}  // namespace preview
