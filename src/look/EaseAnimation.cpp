#include "EaseAnimation.h"

// The two value types the screens animate most are compiled once here.
template class EaseAnimation<double>;
template class EaseAnimation<QPointF>;
