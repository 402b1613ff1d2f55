#include "SpringAnimation.h"

// The two value types the screens animate most are compiled once here.
template class SpringAnimation<double>;
template class SpringAnimation<QPointF>;
