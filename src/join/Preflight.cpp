#include "join/Preflight.h"
