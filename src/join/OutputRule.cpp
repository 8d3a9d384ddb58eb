#include "join/OutputRule.h"
