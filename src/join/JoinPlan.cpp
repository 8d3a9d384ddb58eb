#include "join/JoinPlan.h"
