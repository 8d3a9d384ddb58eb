#include "probe/HumanValues.h"
