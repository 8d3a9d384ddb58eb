#include "join/JoinControl.h"
