#include "join/JoinJob.h"
