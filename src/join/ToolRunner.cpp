#include "join/ToolRunner.h"
