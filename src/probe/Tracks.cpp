#include "probe/FileProbe.h"
