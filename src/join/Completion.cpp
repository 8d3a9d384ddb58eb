#include "join/Completion.h"
